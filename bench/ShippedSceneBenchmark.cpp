#include "scene/Scene.h"
#include "tracer/Renderer.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

// The program's own workload: the shipped model and camera, at a reduced picture size so one
// render takes seconds. Run from anywhere; the project root is compiled in.

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

// The shipped settings with the picture size replaced.
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

void renderShippedScene(benchmark::State& state)
{
    std::ostringstream countLines;
    auto* previous = std::cout.rdbuf(countLines.rdbuf());
    const Scene scene((projectRoot / "data/CrystalModel/Crystal.3DS").string());
    std::cout.rdbuf(previous);

    const auto width = static_cast<std::uint32_t>(state.range(0));
    const std::filesystem::path settings = shippedSettingsAt(width, width * 3 / 4);
    Renderer renderer(&scene, settings.string());
    std::filesystem::remove(settings);

    for (auto _ : state) {
        renderer.render();
        benchmark::DoNotOptimize(renderer.m_framebuffer.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(renderer.m_framebuffer.size()));
    state.SetLabel("pixels");
}

}  // namespace

BENCHMARK(renderShippedScene)->Arg(128)->Unit(benchmark::kSecond)->Iterations(1);

BENCHMARK_MAIN();
