#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// A PNG file decoded to 8-bit RGB, top row first, with the sample layout its header declares.
struct DecodedPng {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bitDepth = 0;               // bits per sample as stored in the file
    int colorType = 0;              // PNG colour type as stored in the file (2 = RGB without alpha)
    std::vector<std::uint8_t> rgb;  // width * height * 3 bytes, rows without padding

    // The red, green and blue bytes of the pixel in column x of row y (row 0 is the top).
    const std::uint8_t* pixel(std::uint32_t x, std::uint32_t y) const { return &rgb[(std::size_t{y} * width + x) * 3]; }
};

// Decodes the file with libpng; throws std::runtime_error when it is not a readable PNG.
DecodedPng readPng(const std::filesystem::path& path);
