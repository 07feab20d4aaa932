#pragma once

#include "maths/Ray.h"

#include <filesystem>
#include <vector>

// A fixed set of rays kept in a file for the nearest-hit benchmarks: the 8 bytes "LUMRAYS1", the
// ray count as a 64-bit integer, then each ray's origin and direction as six 32-bit floats, all
// little-endian. Only what the search reads is kept: rays read back have inside false and
// distance 0. Both functions throw std::runtime_error on failure.
std::vector<Ray> readRecordedRays(const std::filesystem::path& path);
void writeRecordedRays(const std::filesystem::path& path, const std::vector<Ray>& rays);
