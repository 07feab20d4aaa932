#pragma once

#include "maths/Ray.h"

#include <cstdint>
#include <filesystem>
#include <vector>

// Every ray the tracer followed for one picture of a scene, pixel by pixel in render order.
struct RecordedRays {
    std::uint32_t width = 0;  // the picture size they were recorded at
    std::uint32_t height = 0;
    std::vector<Ray> rays;
};

// The file holds the 8 bytes "LUMRAYS1", the width and height as 32-bit integers, the ray count
// as a 64-bit integer, then each ray's origin and direction as six 32-bit floats, all
// little-endian. Only what the search reads is kept: rays read back have inside false and
// distance 0. Both functions throw std::runtime_error on failure.
RecordedRays readRecordedRays(const std::filesystem::path& path);
void writeRecordedRays(const std::filesystem::path& path, const RecordedRays& recorded);
