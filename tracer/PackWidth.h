#pragma once

#include <cstddef>

// How many boxes or triangles the accelerated search tests together: one AVX register of
// floats, or two SSE2 ones where AVX is missing.
inline constexpr std::size_t kPackWidth = 8;

// Every lane of a pack set.
inline constexpr unsigned kEveryLane = (1u << kPackWidth) - 1;
