#include "tracer/Renderer.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <unistd.h>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

// The save of the default picture: docs/default-render.png, decoded back into a framebuffer that
// converts to the same bytes, written by Renderer::saveImage as the program writes Result1.png.

namespace {

const std::filesystem::path projectRoot = LUMORA_PROJECT_ROOT;

struct RgbPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<png_byte> rgb;  // top row first
};

RgbPicture decodeDefaultRender()
{
    const std::string path = (projectRoot / "docs/default-render.png").string();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        throw std::runtime_error("cannot read " + path);
    }
    image.format = PNG_FORMAT_RGB;
    RgbPicture picture{image.width, image.height, std::vector<png_byte>(PNG_IMAGE_SIZE(image))};
    if (png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        throw std::runtime_error("cannot decode " + path);
    }
    return picture;
}

// The size of the same picture at libpng's default compression level and filters.
std::size_t defaultLevelSize(const RgbPicture& picture)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = picture.width;
    image.height = picture.height;
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (png_image_write_get_memory_size(image, size, 0, picture.rgb.data(), 0, nullptr) == 0) {
        throw std::runtime_error("cannot encode the reference PNG");
    }
    return size;
}

// Byte b becomes (b + 0.5) / 255, which scales back to b + 0.5 and truncates to b; 255 clamps.
void fillFramebuffer(Renderer& renderer, const RgbPicture& picture)
{
    renderer.m_resolution = {picture.width, picture.height};
    renderer.m_framebuffer.assign(std::size_t{picture.width} * picture.height, Vec3{});
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        // Framebuffer row 0 is the picture's bottom row.
        const png_byte* row = picture.rgb.data() + std::size_t{picture.height - 1 - y} * picture.width * 3;
        for (std::uint32_t x = 0; x < picture.width; ++x) {
            const auto level = [&](int channel) { return (static_cast<float>(row[3 * x + channel]) + 0.5f) / 255.0f; };
            renderer.m_framebuffer[x + std::size_t{picture.width} * y] = {level(0), level(1), level(2)};
        }
    }
}

void saveDefaultPicture(benchmark::State& state)
{
    const RgbPicture picture = decodeDefaultRender();
    Renderer renderer(nullptr, (projectRoot / "scene_settings.xml").string());
    fillFramebuffer(renderer, picture);
    const auto folder = std::filesystem::temp_directory_path() / ("lumora-bench-save-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path target = folder / "Result1.png";

    for (auto _ : state) {
        renderer.saveImage(target.string());
    }
    const auto written = static_cast<double>(std::filesystem::file_size(target));
    const auto reference = static_cast<double>(defaultLevelSize(picture));
    state.counters["png_bytes"] = written;
    state.counters["default_level_bytes"] = reference;
    state.counters["size_ratio"] = written / reference;
    std::filesystem::remove_all(folder);
}

}  // namespace

BENCHMARK(saveDefaultPicture)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
