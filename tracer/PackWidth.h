#pragma once

#include <cstddef>

// How many boxes or triangles the accelerated search tests together on its portable and AVX
// paths: one AVX register of floats, or two SSE2 ones where AVX is missing. The AVX-512 path
// packs kWidePackWidth, one AVX-512 register.
inline constexpr std::size_t kPackWidth = 8;
inline constexpr std::size_t kWidePackWidth = 16;

// Every lane of a pack of Width set.
template <std::size_t Width>
inline constexpr unsigned kEveryLaneOf = (1u << Width) - 1;
