#pragma once

// Sixteen single-precision numbers in one AVX-512 register, with the operations of AvxLanes.
// AVX-512 arithmetic is IEEE single precision like AVX's, and its comparisons, min and max treat
// NaN the same way, so every lane gives the bits of the float operation. Comparisons give mask
// registers, whose bits are the lanes. Only for code compiled for AVX-512 and run where the
// processor has it (see SearchPath.h).
#if !defined(__AVX512F__)
#error "Avx512Lanes.h needs a translation unit compiled with AVX-512 enabled"
#endif

#include <immintrin.h>

struct Avx512Mask {
    __mmask16 bits;
};

struct Avx512Lanes {
    static constexpr unsigned kCount = 16;

    __m512 value;

    Avx512Lanes() = default;
    explicit Avx512Lanes(__m512 lanes) : value(lanes) {}
    explicit Avx512Lanes(float all) : value(_mm512_set1_ps(all)) {}
    // lanes is 64-byte aligned, as every pack is.
    static Avx512Lanes load(const float* lanes) { return Avx512Lanes(_mm512_load_ps(lanes)); }
    void store(float* lanes) const { _mm512_store_ps(lanes, value); }
};

inline Avx512Lanes operator+(Avx512Lanes a, Avx512Lanes b) { return Avx512Lanes(_mm512_add_ps(a.value, b.value)); }
inline Avx512Lanes operator-(Avx512Lanes a, Avx512Lanes b) { return Avx512Lanes(_mm512_sub_ps(a.value, b.value)); }
inline Avx512Lanes operator*(Avx512Lanes a, Avx512Lanes b) { return Avx512Lanes(_mm512_mul_ps(a.value, b.value)); }
inline Avx512Lanes operator/(Avx512Lanes a, Avx512Lanes b) { return Avx512Lanes(_mm512_div_ps(a.value, b.value)); }
// Ordered comparisons: a lane holding NaN compares false.
inline Avx512Mask operator>=(Avx512Lanes a, Avx512Lanes b)
{
    return {_mm512_cmp_ps_mask(a.value, b.value, _CMP_GE_OQ)};
}
inline Avx512Mask operator<=(Avx512Lanes a, Avx512Lanes b)
{
    return {_mm512_cmp_ps_mask(a.value, b.value, _CMP_LE_OQ)};
}
inline Avx512Mask both(Avx512Mask a, Avx512Mask b) { return {static_cast<__mmask16>(a.bits & b.bits)}; }
// vmaxps and vminps return their second operand when the comparison is unordered. Written with
// every lane of the mask set: GCC 12's _mm512_max_ps and _mm512_min_ps pass an undefined
// register through and trip its own -Wmaybe-uninitialized.
inline constexpr __mmask16 kEveryAvx512Lane = 0xFFFF;
inline Avx512Lanes largerOr(Avx512Lanes a, Avx512Lanes b)
{
    return Avx512Lanes(_mm512_mask_max_ps(a.value, kEveryAvx512Lane, a.value, b.value));
}
inline Avx512Lanes smallerOr(Avx512Lanes a, Avx512Lanes b)
{
    return Avx512Lanes(_mm512_mask_min_ps(a.value, kEveryAvx512Lane, a.value, b.value));
}
inline unsigned laneBits(Avx512Mask mask) { return mask.bits; }
