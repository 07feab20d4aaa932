#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Four single-precision numbers worked on together. Each operation rounds every lane exactly as
// the same float operation would (SSE2 arithmetic is IEEE single precision, like scalar float
// arithmetic on x86-64), so code written once for float and for FloatLanes gives the same bits.
// Without SSE2 the lanes are plain floats in a loop.
#if defined(__SSE2__)

struct LaneMask {
    __m128 bits;
};

struct FloatLanes {
    __m128 value;

    FloatLanes() = default;
    explicit FloatLanes(__m128 lanes) : value(lanes) {}
    explicit FloatLanes(float all) : value(_mm_set1_ps(all)) {}
    static FloatLanes load(const float* lanes) { return FloatLanes(_mm_load_ps(lanes)); }
    void store(float* lanes) const { _mm_store_ps(lanes, value); }
};

inline FloatLanes operator+(FloatLanes a, FloatLanes b) { return FloatLanes(_mm_add_ps(a.value, b.value)); }
inline FloatLanes operator-(FloatLanes a, FloatLanes b) { return FloatLanes(_mm_sub_ps(a.value, b.value)); }
inline FloatLanes operator*(FloatLanes a, FloatLanes b) { return FloatLanes(_mm_mul_ps(a.value, b.value)); }
inline FloatLanes operator/(FloatLanes a, FloatLanes b) { return FloatLanes(_mm_div_ps(a.value, b.value)); }
// Ordered comparisons: a lane holding NaN compares false, as with float.
inline LaneMask operator>=(FloatLanes a, FloatLanes b) { return {_mm_cmpge_ps(a.value, b.value)}; }
inline LaneMask operator<=(FloatLanes a, FloatLanes b) { return {_mm_cmple_ps(a.value, b.value)}; }
inline LaneMask both(LaneMask a, LaneMask b) { return {_mm_and_ps(a.bits, b.bits)}; }
// Per lane the larger (smaller) of a and b, and b where either is NaN: maxps and minps return
// their second operand when the comparison is unordered.
inline FloatLanes largerOr(FloatLanes a, FloatLanes b) { return FloatLanes(_mm_max_ps(a.value, b.value)); }
inline FloatLanes smallerOr(FloatLanes a, FloatLanes b) { return FloatLanes(_mm_min_ps(a.value, b.value)); }
// Bit i set when lane i is true.
inline unsigned laneBits(LaneMask mask) { return static_cast<unsigned>(_mm_movemask_ps(mask.bits)); }

#else

struct LaneMask {
    bool lane[4];
};

struct FloatLanes {
    float value[4];

    FloatLanes() = default;
    explicit FloatLanes(float all) : value{all, all, all, all} {}
    static FloatLanes load(const float* lanes)
    {
        FloatLanes loaded;
        for (int i = 0; i < 4; ++i) {
            loaded.value[i] = lanes[i];
        }
        return loaded;
    }
    void store(float* lanes) const
    {
        for (int i = 0; i < 4; ++i) {
            lanes[i] = value[i];
        }
    }
};

template <typename Operation>
FloatLanes eachLane(FloatLanes a, FloatLanes b, Operation operation)
{
    FloatLanes result;
    for (int i = 0; i < 4; ++i) {
        result.value[i] = operation(a.value[i], b.value[i]);
    }
    return result;
}
template <typename Comparison>
LaneMask compareLanes(FloatLanes a, FloatLanes b, Comparison comparison)
{
    LaneMask result;
    for (int i = 0; i < 4; ++i) {
        result.lane[i] = comparison(a.value[i], b.value[i]);
    }
    return result;
}

inline FloatLanes operator+(FloatLanes a, FloatLanes b)
{
    return eachLane(a, b, [](float x, float y) { return x + y; });
}
inline FloatLanes operator-(FloatLanes a, FloatLanes b)
{
    return eachLane(a, b, [](float x, float y) { return x - y; });
}
inline FloatLanes operator*(FloatLanes a, FloatLanes b)
{
    return eachLane(a, b, [](float x, float y) { return x * y; });
}
inline FloatLanes operator/(FloatLanes a, FloatLanes b)
{
    return eachLane(a, b, [](float x, float y) { return x / y; });
}
inline LaneMask operator>=(FloatLanes a, FloatLanes b)
{
    return compareLanes(a, b, [](float x, float y) { return x >= y; });
}
inline LaneMask operator<=(FloatLanes a, FloatLanes b)
{
    return compareLanes(a, b, [](float x, float y) { return x <= y; });
}
inline FloatLanes largerOr(FloatLanes a, FloatLanes b)
{
    return eachLane(a, b, [](float x, float y) { return x > y ? x : y; });
}
inline FloatLanes smallerOr(FloatLanes a, FloatLanes b)
{
    return eachLane(a, b, [](float x, float y) { return x < y ? x : y; });
}
inline LaneMask both(LaneMask a, LaneMask b)
{
    return {{a.lane[0] && b.lane[0], a.lane[1] && b.lane[1], a.lane[2] && b.lane[2], a.lane[3] && b.lane[3]}};
}
inline unsigned laneBits(LaneMask mask)
{
    unsigned bits = 0;
    for (int i = 0; i < 4; ++i) {
        bits |= mask.lane[i] ? 1u << i : 0u;
    }
    return bits;
}

#endif

// The same helpers for one float, so that one template serves both.
inline bool both(bool a, bool b) { return a && b; }
inline bool noLane(bool struck) { return !struck; }
inline bool noLane(LaneMask struck) { return laneBits(struck) == 0; }
