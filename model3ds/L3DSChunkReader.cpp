#include "model3ds/L3DS.h"
#include "model3ds/L3DSChunkIds.h"

#include <bit>

namespace {

constexpr std::uint32_t headerSize = 6;

}  // namespace

void L3DS::seek(std::uint32_t offset) { m_readPos = offset < m_bufferSize ? offset : m_bufferSize - 1; }

void L3DS::gotoChunk(const LChunk& chunk) { seek(chunk.start); }

std::uint32_t L3DS::readLittleEndian(std::uint32_t width)
{
    if (m_readPos > m_bufferSize || m_bufferSize - m_readPos < width) {
        return 0;
    }
    std::uint32_t value = 0;
    for (std::uint32_t i = 0; i < width; ++i) {
        value |= std::uint32_t{m_buffer[m_readPos + i]} << (8 * i);
    }
    m_readPos += width;
    return value;
}

std::uint8_t L3DS::readByte() { return static_cast<std::uint8_t>(readLittleEndian(1)); }

std::uint16_t L3DS::readWord() { return static_cast<std::uint16_t>(readLittleEndian(2)); }

std::uint32_t L3DS::readDword() { return readLittleEndian(4); }

float L3DS::readFloat() { return std::bit_cast<float>(readLittleEndian(4)); }

Vec3 L3DS::readVector()
{
    const float x = readFloat();
    const float y = readFloat();
    const float z = readFloat();
    return {x, y, z};
}

// A failed read gives 0 like a terminator, so the string always ends. A longer string
// keeps max - 1 characters; the next one is consumed and dropped, the rest stays unread.
int L3DS::readString(char* dest, int max)
{
    int count = 0;
    for (std::uint8_t letter = readByte(); letter != 0 && count < max - 1; letter = readByte()) {
        dest[count] = static_cast<char>(letter);
        ++count;
    }
    dest[count] = '\0';
    return count;
}

void L3DS::skipString()
{
    while (readByte() != 0) {
    }
}

LChunk L3DS::readChunk()
{
    const std::uint16_t id = readWord();
    const std::uint32_t length = readDword();
    return {id, m_readPos, m_readPos + length - headerSize};
}

// A chunk shorter than its own header (or so long that its end wraps) would send the walk
// back instead of forward, and a header that does not fit in the buffer cannot be read:
// either ends the walk at that level. Every step therefore moves forward by at least one
// header, so every walk ends.
bool L3DS::readHeaderAt(std::uint32_t offset, LChunk& chunk)
{
    if (offset > m_bufferSize || m_bufferSize - offset < headerSize) {
        return false;
    }
    seek(offset);
    chunk = readChunk();
    return chunk.end >= chunk.start;
}

// A sub-chunk running past its container is not handled, and the walk stops there.
bool L3DS::readSubChunk(std::uint32_t offset, const LChunk& container, LChunk& sub)
{
    return readHeaderAt(offset, sub) && sub.end <= container.end;
}

// The wanted chunk is taken even when it runs past its parent or the file, so a truncated
// file still yields what it holds; the next search starts at its end and so ends there, as
// it does at a sibling with another id that runs past the parent.
bool L3DS::findChunk(LChunk& key, const LChunk& parent)
{
    LChunk sibling;
    for (std::uint32_t offset = m_readPos; offset < parent.end && readHeaderAt(offset, sibling); offset = sibling.end) {
        if (sibling.id == key.id) {
            key.start = sibling.start;
            key.end = sibling.end;
            return true;
        }
    }
    return false;
}

LColor3 L3DS::readColor(const LChunk& chunk)
{
    gotoChunk(chunk);
    switch (chunk.id) {
        case ChunkId::ColorFloat:
        case ChunkId::ColorFloatGamma: {
            const Vec3 color = readVector();
            return {color.x, color.y, color.z};
        }
        case ChunkId::ColorByte:
        case ChunkId::ColorByteGamma: {
            const float r = static_cast<float>(readByte()) / 255.0f;
            const float g = static_cast<float>(readByte()) / 255.0f;
            const float b = static_cast<float>(readByte()) / 255.0f;
            return {r, g, b};
        }
        default:
            return {};
    }
}

float L3DS::readPercentage(const LChunk& chunk)
{
    gotoChunk(chunk);
    switch (chunk.id) {
        case ChunkId::PercentWord:
            return static_cast<float>(static_cast<std::int16_t>(readWord())) / 100.0f;
        case ChunkId::PercentFloat:
            return readFloat();
        default:
            return 0.0f;
    }
}
