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

// Eight lanes as two FloatLanes side by side: the portable width of the accelerated search,
// for processors without AVX2. Lanes 0 to 3 are low's, 4 to 7 high's.
struct PairedMask {
    LaneMask low;
    LaneMask high;
};

struct PairedLanes {
    static constexpr unsigned kCount = 8;

    FloatLanes low;
    FloatLanes high;

    PairedLanes() = default;
    PairedLanes(FloatLanes lowLanes, FloatLanes highLanes) : low(lowLanes), high(highLanes) {}
    explicit PairedLanes(float all) : low(all), high(all) {}
    static PairedLanes load(const float* lanes) { return {FloatLanes::load(lanes), FloatLanes::load(lanes + 4)}; }
    void store(float* lanes) const
    {
        low.store(lanes);
        high.store(lanes + 4);
    }
};

inline PairedLanes operator+(PairedLanes a, PairedLanes b) { return {a.low + b.low, a.high + b.high}; }
inline PairedLanes operator-(PairedLanes a, PairedLanes b) { return {a.low - b.low, a.high - b.high}; }
inline PairedLanes operator*(PairedLanes a, PairedLanes b) { return {a.low * b.low, a.high * b.high}; }
inline PairedLanes operator/(PairedLanes a, PairedLanes b) { return {a.low / b.low, a.high / b.high}; }
inline PairedMask operator>=(PairedLanes a, PairedLanes b) { return {a.low >= b.low, a.high >= b.high}; }
inline PairedMask operator<=(PairedLanes a, PairedLanes b) { return {a.low <= b.low, a.high <= b.high}; }
inline PairedMask both(PairedMask a, PairedMask b) { return {both(a.low, b.low), both(a.high, b.high)}; }
inline PairedLanes largerOr(PairedLanes a, PairedLanes b) { return {largerOr(a.low, b.low), largerOr(a.high, b.high)}; }
inline PairedLanes smallerOr(PairedLanes a, PairedLanes b)
{
    return {smallerOr(a.low, b.low), smallerOr(a.high, b.high)};
}
inline unsigned laneBits(PairedMask mask) { return laneBits(mask.low) | laneBits(mask.high) << 4; }

// The same helper for one float, so that one template serves every width.
inline bool both(bool a, bool b) { return a && b; }
