#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A 24-bit picture laid out as a bottom-up device-independent bitmap: three bytes per pixel in
// blue, green, red order, each row padded to a multiple of four bytes, the bottom row at the
// lowest address. Like the platform's bitmap classes it hands out the address of its top row and
// a negative pitch, the step in bytes from one row to the row below it.
class Picture {
public:
    // Nothing when the pixel buffer cannot be had (too large for the address space or memory).
    static std::optional<Picture> create(std::uint32_t width, std::uint32_t height);

    std::uint32_t width() const { return m_width; }
    std::uint32_t height() const { return m_height; }
    std::uint8_t* bits() { return m_pixels.data() + topRowOffset(); }
    const std::uint8_t* bits() const { return m_pixels.data() + topRowOffset(); }
    std::ptrdiff_t pitch() const { return -m_stride; }

    // True when the file name's extension names a format that save writes: ".png" or ".bmp", in
    // any case.
    static bool canEncode(const std::string& path);

    // Encodes the picture in the format its file name's extension names. True only when the
    // file was written completely; a failed save leaves whatever file was at path before
    // untouched, and errno tells why it failed (EINVAL for an unknown format or an empty picture).
    bool save(const std::string& path) const;

private:
    Picture(std::uint32_t width, std::uint32_t height, std::ptrdiff_t stride);
    std::ptrdiff_t topRowOffset() const { return m_height == 0 ? 0 : (m_height - 1) * m_stride; }

    std::uint32_t m_width;
    std::uint32_t m_height;
    std::ptrdiff_t m_stride;  // bytes per row, padding included
    std::vector<std::uint8_t> m_pixels;
};
