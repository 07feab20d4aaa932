#include "bench/ShippedScene.h"

#include <unistd.h>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

const std::filesystem::path projectRoot = LUMORA_PROJECT_ROOT;

std::string readText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

std::unique_ptr<Scene> loadShippedScene()
{
    std::ostringstream countLines;
    auto* previous = std::cout.rdbuf(countLines.rdbuf());
    auto scene = std::make_unique<Scene>((projectRoot / "data/CrystalModel/Crystal.3DS").string());
    std::cout.rdbuf(previous);
    if (!scene->hasModelMesh()) {
        throw std::runtime_error("the shipped model holds no mesh");
    }
    return scene;
}

std::filesystem::path shippedSettingsAt(std::uint32_t width, std::uint32_t height)
{
    std::string xml = readText(projectRoot / "scene_settings.xml");
    const std::string shippedSize = "<m_resolution value_x=\"1024\" value_y=\"768\"/>";
    const auto at = xml.find(shippedSize);
    if (at == std::string::npos) {
        throw std::runtime_error("scene_settings.xml no longer holds " + shippedSize);
    }
    xml.replace(at, shippedSize.size(),
                "<m_resolution value_x=\"" + std::to_string(width) + "\" value_y=\"" + std::to_string(height) + "\"/>");
    const auto path = std::filesystem::temp_directory_path() / ("lumora-bench-" + std::to_string(getpid()) + ".xml");
    std::ofstream(path) << xml;
    return path;
}

std::filesystem::path benchDataFile(const char* name) { return projectRoot / "bench/data" / name; }
