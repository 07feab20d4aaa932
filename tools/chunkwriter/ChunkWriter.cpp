#include "tools/chunkwriter/ChunkWriter.h"

#include <bit>
#include <cstring>
#include <stdexcept>

void ChunkWriter::begin(std::uint16_t id)
{
    m_openChunks.push_back(m_bytes.size());
    header(id, 0);
}

void ChunkWriter::end()
{
    if (m_openChunks.empty()) {
        throw std::logic_error("ChunkWriter::end without an open chunk");
    }
    const std::size_t start = m_openChunks.back();
    m_openChunks.pop_back();
    const auto length = static_cast<std::uint32_t>(m_bytes.size() - start);
    for (int i = 0; i < 4; ++i) {
        m_bytes[start + 2 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    }
}

void ChunkWriter::chunk(std::uint16_t id, const std::function<void()>& body)
{
    begin(id);
    body();
    end();
}

void ChunkWriter::byte(std::uint8_t value) { m_bytes.push_back(value); }

void ChunkWriter::word(std::uint16_t value)
{
    byte(static_cast<std::uint8_t>(value));
    byte(static_cast<std::uint8_t>(value >> 8));
}

void ChunkWriter::dword(std::uint32_t value)
{
    word(static_cast<std::uint16_t>(value));
    word(static_cast<std::uint16_t>(value >> 16));
}

void ChunkWriter::real(float value) { dword(std::bit_cast<std::uint32_t>(value)); }

void ChunkWriter::string(std::string_view text)
{
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    byte(0);
}

void ChunkWriter::header(std::uint16_t id, std::uint32_t length)
{
    word(id);
    dword(length);
}

const std::vector<std::uint8_t>& ChunkWriter::bytes() const
{
    if (!m_openChunks.empty()) {
        throw std::logic_error("ChunkWriter::bytes with a chunk still open");
    }
    return m_bytes;
}
