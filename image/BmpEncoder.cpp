#include "image/BmpEncoder.h"

#include "image/Picture.h"

#include <array>
#include <cstdint>
#include <limits>

namespace {

constexpr std::uint32_t fileHeaderSize = 14;
constexpr std::uint32_t infoHeaderSize = 40;
constexpr std::uint32_t headersSize = fileHeaderSize + infoHeaderSize;

// Stores value little-endian at header[offset], in byteCount bytes.
template <std::size_t Size>
void putLittleEndian(std::array<std::uint8_t, Size>& header, std::size_t offset, std::uint32_t value, int byteCount)
{
    for (int i = 0; i < byteCount; ++i) {
        header[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

}  // namespace

bool writeBmp(std::FILE* file, const Picture& picture)
{
    const auto stride = static_cast<std::uint64_t>(-picture.pitch());
    const std::uint64_t pixelBytes = stride * picture.height();
    const std::uint32_t largestSide = std::numeric_limits<std::int32_t>::max();
    if (pixelBytes > std::numeric_limits<std::uint32_t>::max() - headersSize || picture.width() > largestSide ||
        picture.height() > largestSide) {
        return false;
    }

    // Fields not set stay zero: reserved words, no compression, no preferred resolution, no palette.
    std::array<std::uint8_t, headersSize> header{};
    header[0] = 'B';
    header[1] = 'M';
    putLittleEndian(header, 2, headersSize + static_cast<std::uint32_t>(pixelBytes), 4);
    putLittleEndian(header, 10, headersSize, 4);
    putLittleEndian(header, 14, infoHeaderSize, 4);
    putLittleEndian(header, 18, picture.width(), 4);
    putLittleEndian(header, 22, picture.height(), 4);  // positive: the rows are stored bottom-up
    putLittleEndian(header, 26, 1, 2);                 // one plane
    putLittleEndian(header, 28, 24, 2);                // bits per pixel
    putLittleEndian(header, 34, static_cast<std::uint32_t>(pixelBytes), 4);

    const std::uint8_t* bottomRow =
        picture.bits() + static_cast<std::ptrdiff_t>(picture.height() - 1) * picture.pitch();
    return std::fwrite(header.data(), 1, header.size(), file) == header.size() &&
           std::fwrite(bottomRow, 1, pixelBytes, file) == pixelBytes;
}
