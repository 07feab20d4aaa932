#include "tests/support/PngReader.h"

#include <png.h>

#include <array>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

// The image header chunk always comes first: 8 signature bytes, 8 chunk header bytes, then
// width, height, bit depth and colour type.
constexpr std::size_t bitDepthOffset = 24;
constexpr std::size_t colorTypeOffset = 25;

void readHeaderFields(const std::filesystem::path& path, DecodedPng& decoded)
{
    std::array<char, colorTypeOffset + 1> header{};
    std::ifstream in(path, std::ios::binary);
    if (!in.read(header.data(), header.size())) {
        throw std::runtime_error("PNG file too short: " + path.string());
    }
    decoded.bitDepth = static_cast<unsigned char>(header[bitDepthOffset]);
    decoded.colorType = static_cast<unsigned char>(header[colorTypeOffset]);
}

}  // namespace

DecodedPng readPng(const std::filesystem::path& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        throw std::runtime_error("cannot read PNG " + path.string() + ": " + image.message);
    }
    image.format = PNG_FORMAT_RGB;

    DecodedPng decoded;
    decoded.width = image.width;
    decoded.height = image.height;
    decoded.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, decoded.rgb.data(), 0, nullptr) == 0) {
        const std::string message = image.message;
        png_image_free(&image);
        throw std::runtime_error("cannot decode PNG " + path.string() + ": " + message);
    }
    readHeaderFields(path, decoded);
    return decoded;
}
