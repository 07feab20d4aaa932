#pragma once

#include <cstdint>

// One chunk header in the file buffer. end = start + length - 6 in 32-bit unsigned
// arithmetic, so a corrupt length may wrap; readers never trust it beyond its parent.
struct LChunk {
    std::uint16_t id = 0;
    std::uint32_t start = 0;  // offset of the first byte after the 6-byte header
    std::uint32_t end = 0;    // offset one past the chunk's last byte
};
