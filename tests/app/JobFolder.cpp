#include "tests/app/JobFolder.h"

#include <utility>

namespace {

const std::filesystem::path modelFile = std::filesystem::path("data") / "CrystalModel" / "Crystal.3DS";
const std::filesystem::path settingsFile = "scene_settings.xml";
const std::filesystem::path imageFile = "Result1.png";

}  // namespace

void JobFolder::writeModel(std::string_view bytes) const { m_dir.write(modelFile, bytes); }

void JobFolder::writeSettings(std::string_view xml) const { m_dir.write(settingsFile, xml); }

std::filesystem::path JobFolder::modelPath() const { return m_dir.path() / modelFile; }

std::filesystem::path JobFolder::settingsPath() const { return m_dir.path() / settingsFile; }

std::filesystem::path JobFolder::imagePath() const { return m_dir.path() / imageFile; }

ProgramResult JobFolder::run(const std::filesystem::path& program, ProgramOptions options) const
{
    options.workingDirectory = m_dir.path();
    return runProgram(program, options);
}
