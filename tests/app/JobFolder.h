#pragma once

#include "tests/app/ProgramProcess.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <string>
#include <string_view>

// A temporary working folder laid out as the programs expect: the model at
// "data/CrystalModel/Crystal.3DS", the settings in "scene_settings.xml", the picture
// written to "Result1.png".
class JobFolder {
public:
    void writeModel(std::string_view bytes) const;
    void writeSettings(std::string_view xml) const;

    std::filesystem::path modelPath() const;
    std::filesystem::path settingsPath() const;
    std::filesystem::path imagePath() const;
    const std::filesystem::path& path() const { return m_dir.path(); }

    // Runs the program in this folder, standard input from the null device.
    ProgramResult run(const std::filesystem::path& program, ProgramOptions options = {}) const;

private:
    TempDir m_dir;
};
