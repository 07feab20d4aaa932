#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// Writes 3DS-style chunk trees: little-endian values inside nested chunks whose 6-byte
// headers (id, length) are completed when each chunk is closed. Used to make the shipped
// model and the loader's test files.
class ChunkWriter {
public:
    // Opens a chunk; its length is filled in by the matching end().
    void begin(std::uint16_t id);
    void end();
    // begin(id), body(), end().
    void chunk(std::uint16_t id, const std::function<void()>& body);

    void byte(std::uint8_t value);
    void word(std::uint16_t value);
    void dword(std::uint32_t value);
    void real(float value);
    // The characters, then a terminating zero byte.
    void string(std::string_view text);
    // A header with any length, for files that must be malformed on purpose.
    void header(std::uint16_t id, std::uint32_t length);

    std::size_t size() const { return m_bytes.size(); }
    // The bytes written so far; every chunk must be closed.
    const std::vector<std::uint8_t>& bytes() const;
    std::vector<std::uint8_t>& mutableBytes() { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
    std::vector<std::size_t> m_openChunks;
};
