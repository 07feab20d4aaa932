#include "tests/tracer/TracerTestScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace {

// A camera at (1, 2, 3) looking along -z with quarter-turn view angles, 2 x 2 pixels.
SettingsValues twoByTwoCamera()
{
    const std::string quarterTurn = floatText(std::numbers::pi_v<float> / 2.0f);
    return {.posX = "1",
            .posY = "2",
            .posZ = "3",
            .angleX = quarterTurn,
            .angleY = quarterTurn,
            .width = "2",
            .height = "2"};
}

void expectDirection(const Ray& ray, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(ray.direction.x, x);
    EXPECT_FLOAT_EQ(ray.direction.y, y);
    EXPECT_FLOAT_EQ(ray.direction.z, z);
}

}  // namespace

// With quarter-turn half angles each pixel centre lies half way to the image edge, so the
// four rays point along (+-0.5, +-0.5, -1), normalised: 0.5 / sqrt(1.5) and 1 / sqrt(1.5).
TEST(PrimaryRay, TwoByTwoPixelsLookThroughTheirCentres)
{
    const auto scene = makeScene();
    const Renderer renderer = makeRenderer(*scene, twoByTwoCamera());
    const float side = static_cast<float>(0.5 / std::sqrt(1.5));
    const float ahead = static_cast<float>(-1.0 / std::sqrt(1.5));

    const Ray bottomLeft = renderer.primaryRay(0, 0);
    expectDirection(bottomLeft, -side, -side, ahead);
    expectDirection(renderer.primaryRay(1, 0), side, -side, ahead);
    expectDirection(renderer.primaryRay(0, 1), -side, side, ahead);
    expectDirection(renderer.primaryRay(1, 1), side, side, ahead);

    EXPECT_EQ(bottomLeft.origin.x, 1.0f);
    EXPECT_EQ(bottomLeft.origin.y, 2.0f);
    EXPECT_EQ(bottomLeft.origin.z, 3.0f);
    EXPECT_FALSE(bottomLeft.inside);
    EXPECT_EQ(bottomLeft.distance, 0.0f);
}

// A tilted camera and a picture wider than high, to the last bit: the expected directions were
// worked out apart from this code, one single-precision operation at a time, with the tangents
// and square roots taken in double and rounded.
TEST(PrimaryRay, NonSquarePictureFromATiltedCamera)
{
    const auto scene = makeScene();
    const Renderer renderer = makeRenderer(*scene, {.forwardX = "0.25",
                                                    .forwardY = "-0.5",
                                                    .forwardZ = "-1",
                                                    .angleX = "1.25",
                                                    .angleY = "0.75",
                                                    .width = "5",
                                                    .height = "3"});
    const auto expectExactly = [](const Ray& ray, float x, float y, float z) {
        EXPECT_EQ(ray.direction.x, x);
        EXPECT_EQ(ray.direction.y, y);
        EXPECT_EQ(ray.direction.z, z);
    };
    expectExactly(renderer.primaryRay(0, 0), -0x1.d326e6p-3f, -0x1.1dc896p-1f, -0x1.98737ep-1f);
    expectExactly(renderer.primaryRay(4, 0), 0x1.2742b0p-1f, -0x1.1dc896p-1f, -0x1.317064p-1f);
    expectExactly(renderer.primaryRay(1, 2), -0x1.21bbd0p-5f, -0x1.762adcp-3f, -0x1.f70e80p-1f);
    expectExactly(renderer.primaryRay(3, 1), 0x1.d1f456p-2f, -0x1.b090d6p-2f, -0x1.915b5ap-1f);
}
