#include "image/Picture.h"

#include "image/BmpEncoder.h"
#include "image/PngEncoder.h"
#include "image/ReplaceFile.h"

#include <cerrno>
#include <limits>
#include <new>
#include <stdexcept>

namespace {

using Encoder = bool (*)(std::FILE*, const Picture&);

// The text from the last '.' of the file name on, in lower case; empty when the name has no '.'.
std::string lowerCaseExtension(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    std::string extension = path.substr(dot);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return extension;
}

Encoder encoderFor(const std::string& path)
{
    const std::string extension = lowerCaseExtension(path);
    if (extension == ".png") {
        return writePng;
    }
    if (extension == ".bmp") {
        return writeBmp;
    }
    return nullptr;
}

}  // namespace

Picture::Picture(std::uint32_t width, std::uint32_t height, std::ptrdiff_t stride)
    : m_width(width), m_height(height), m_stride(stride), m_pixels(static_cast<std::size_t>(stride) * height)
{
}

std::optional<Picture> Picture::create(std::uint32_t width, std::uint32_t height)
{
    const std::uint64_t stride = (std::uint64_t{width} * 24 + 31) / 32 * 4;
    if (height != 0 && stride > static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max()) / height) {
        return std::nullopt;
    }
    try {
        return Picture(width, height, static_cast<std::ptrdiff_t>(stride));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    } catch (const std::length_error&) {
        return std::nullopt;
    }
}

bool Picture::canEncode(const std::string& path) { return encoderFor(path) != nullptr; }

bool Picture::save(const std::string& path) const
{
    // Neither format holds a picture without pixels (PNG forbids a zero width or height), and
    // a file that readers reject helps nobody: an empty picture is a failed save.
    const Encoder encoder = encoderFor(path);
    if (encoder == nullptr || m_width == 0 || m_height == 0) {
        errno = EINVAL;
        return false;
    }
    return replaceFile(path, [this, encoder](std::FILE* file) { return encoder(file, *this); });
}
