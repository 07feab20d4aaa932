#include "bench/ShippedScene.h"

#include <iostream>
#include <sstream>
#include <stdexcept>

namespace {

const std::filesystem::path projectRoot = LUMORA_PROJECT_ROOT;

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

std::unique_ptr<Renderer> shippedRenderer(const Scene& scene, std::uint32_t width, std::uint32_t height)
{
    return std::make_unique<Renderer>(&scene, (projectRoot / "scene_settings.xml").string(), Resolution{width, height});
}

std::filesystem::path benchDataFile(const char* name) { return projectRoot / "bench/data" / name; }
