#include "scene/Scene.h"
#include "tracer/Fresnel.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

const float refractionIndex = kCrystalRefractionIndex;

// The textbook unpolarised reflectance, in double, with g = sqrt(eta^2 + c^2 - 1).
double textbookReflectance(double c, double eta)
{
    const double g = std::sqrt(eta * eta + c * c - 1.0);
    const double outer = (g - c) * (g - c) / ((g + c) * (g + c));
    const double inner = (c * (g + c) - 1.0) / (c * (g - c) + 1.0);
    return 0.5 * outer * (1.0 + inner * inner);
}

float cosDegrees(double degrees) { return static_cast<float>(std::cos(degrees * std::numbers::pi / 180.0)); }

}  // namespace

TEST(FresnelSplit, MatchesTheTextbookReflectance)
{
    const SurfaceSplit headOn = fresnelSplit(1.0f, refractionIndex);
    const double n = refractionIndex;
    EXPECT_EQ(headOn.sinTransmitted, 0.0f);
    EXPECT_NEAR(headOn.reflectance, (n - 1.0) * (n - 1.0) / ((n + 1.0) * (n + 1.0)), 1e-7);

    const SurfaceSplit outside30 = fresnelSplit(cosDegrees(30.0), refractionIndex);
    EXPECT_NEAR(outside30.sinTransmitted, 0.6694, 1e-4);
    EXPECT_NEAR(outside30.reflectance, 0.02207, 1e-5);
    EXPECT_NEAR(outside30.reflectance, textbookReflectance(cosDegrees(30.0), n), 1e-6);

    const float inverse = 1.0f / refractionIndex;
    const SurfaceSplit inside30 = fresnelSplit(cosDegrees(30.0), inverse);
    EXPECT_NEAR(inside30.sinTransmitted, 0.3735, 1e-4);
    EXPECT_NEAR(inside30.reflectance, 0.02636, 1e-5);
    EXPECT_NEAR(inside30.reflectance, textbookReflectance(cosDegrees(30.0), inverse), 1e-6);
}

// The same cases to the last bit: the expected values were worked out apart from this code,
// one single-precision operation at a time in the order the reflectance formula is written,
// with the square roots taken in double and rounded.
TEST(FresnelSplit, EveryStepIsSinglePrecisionInTheWrittenOrder)
{
    const SurfaceSplit headOn = fresnelSplit(1.0f, refractionIndex);
    EXPECT_EQ(headOn.reflectance, 0x1.57d452p-6f);

    const SurfaceSplit outside30 = fresnelSplit(cosDegrees(30.0), refractionIndex);
    EXPECT_EQ(outside30.reflectance, 0x1.69917ep-6f);
    EXPECT_EQ(outside30.sinTransmitted, 0x1.56bc4p-1f);

    const SurfaceSplit inside30 = fresnelSplit(cosDegrees(30.0), 1.0f / refractionIndex);
    EXPECT_EQ(inside30.reflectance, 0x1.afe37cp-6f);
    EXPECT_EQ(inside30.sinTransmitted, 0x1.7e6ddep-2f);
}

// The sine of incidence is multiplied by eta, so from outside the test on sinT reflects
// everything beyond about 48.3 degrees, and from inside the test on G does.
TEST(FresnelSplit, TotalReflectionFromBothSides)
{
    EXPECT_EQ(fresnelSplit(cosDegrees(60.0), 1.0f / refractionIndex).reflectance, 1.0f);
    EXPECT_EQ(fresnelSplit(cosDegrees(50.0), refractionIndex).reflectance, 1.0f);
    EXPECT_LT(fresnelSplit(cosDegrees(47.0), refractionIndex).reflectance, 1.0f);
    EXPECT_LT(fresnelSplit(cosDegrees(47.0), 1.0f / refractionIndex).reflectance, 1.0f);
}

// Rounding can put the cosine of two unit vectors just above 1.
TEST(FresnelSplit, CosineAboveOneIsHeadOn)
{
    const float aboveOne = std::nextafter(1.0f, 2.0f);
    const SurfaceSplit split = fresnelSplit(aboveOne, refractionIndex);
    EXPECT_EQ(split.sinTransmitted, 0.0f);
    EXPECT_NEAR(split.reflectance, 0.02099, 1e-5);
}

// Leaving dim rays out of a pixel is exact only if every reflectance and transmittance lies in
// [0, 1] and they sum to at most 1 in float, for any cosine in [0, 4) (PixelColour.cpp), from
// both sides of the crystal's surface. Every 101st float of that range, and every float near 1,
// where the sign of 1 - c^2 turns.
TEST(FresnelSplit, CrystalSplitsStayWithinTheWholeForEveryCosineBelowFour)
{
    const auto check = [](float c, float eta) {
        const float R = fresnelSplit(c, eta).reflectance;
        const float T = 1.0f - R;
        if (!(R >= 0.0f && T >= 0.0f && R + T <= 1.0f)) {
            ADD_FAILURE() << "c " << c << ", eta " << eta << ": R " << R << ", T " << T;
            return false;
        }
        return true;
    };
    for (const float eta : {refractionIndex, 1.0f / refractionIndex}) {
        std::uint32_t checked = 0;
        for (std::uint32_t bits = 0; std::bit_cast<float>(bits) < 4.0f; bits += 101, ++checked) {
            ASSERT_TRUE(check(std::bit_cast<float>(bits), eta));
        }
        for (float c = 0.999f; c <= 1.001f; c = std::nextafter(c, 2.0f), ++checked) {
            ASSERT_TRUE(check(c, eta));
        }
        EXPECT_GT(checked, 10'000'000u);
    }
}
