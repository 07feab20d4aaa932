#pragma once

// Eight single-precision numbers in one AVX register, with the operations of FloatLanes and
// PairedLanes. AVX arithmetic is IEEE single precision like SSE2's, and its comparisons, min
// and max treat NaN the same way, so every lane gives the bits of the float operation.
// Only for code compiled for AVX and run where the processor has it (see SearchPath.h).
#if !defined(__AVX__)
#error "AvxLanes.h needs a translation unit compiled with AVX enabled"
#endif

#include <immintrin.h>

struct AvxMask {
    __m256 bits;
};

struct AvxLanes {
    static constexpr unsigned kCount = 8;

    __m256 value;

    AvxLanes() = default;
    explicit AvxLanes(__m256 lanes) : value(lanes) {}
    explicit AvxLanes(float all) : value(_mm256_set1_ps(all)) {}
    // lanes is 32-byte aligned, as every pack is.
    static AvxLanes load(const float* lanes) { return AvxLanes(_mm256_load_ps(lanes)); }
    void store(float* lanes) const { _mm256_store_ps(lanes, value); }
};

inline AvxLanes operator+(AvxLanes a, AvxLanes b) { return AvxLanes(_mm256_add_ps(a.value, b.value)); }
inline AvxLanes operator-(AvxLanes a, AvxLanes b) { return AvxLanes(_mm256_sub_ps(a.value, b.value)); }
inline AvxLanes operator*(AvxLanes a, AvxLanes b) { return AvxLanes(_mm256_mul_ps(a.value, b.value)); }
inline AvxLanes operator/(AvxLanes a, AvxLanes b) { return AvxLanes(_mm256_div_ps(a.value, b.value)); }
// Ordered comparisons: a lane holding NaN compares false.
inline AvxMask operator>=(AvxLanes a, AvxLanes b) { return {_mm256_cmp_ps(a.value, b.value, _CMP_GE_OQ)}; }
inline AvxMask operator<=(AvxLanes a, AvxLanes b) { return {_mm256_cmp_ps(a.value, b.value, _CMP_LE_OQ)}; }
inline AvxMask both(AvxMask a, AvxMask b) { return {_mm256_and_ps(a.bits, b.bits)}; }
// vmaxps and vminps return their second operand when the comparison is unordered.
inline AvxLanes largerOr(AvxLanes a, AvxLanes b) { return AvxLanes(_mm256_max_ps(a.value, b.value)); }
inline AvxLanes smallerOr(AvxLanes a, AvxLanes b) { return AvxLanes(_mm256_min_ps(a.value, b.value)); }
inline unsigned laneBits(AvxMask mask) { return static_cast<unsigned>(_mm256_movemask_ps(mask.bits)); }
