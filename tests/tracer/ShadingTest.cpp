#include "tests/tracer/TracerTestScene.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr Vec3 black{0.0f, 0.0f, 0.0f};
constexpr Vec3 white{1.0f, 1.0f, 1.0f};
constexpr Vec3 red{1.0f, 0.0f, 0.0f};

Ray rayFrom(Vec3 origin, Vec3 direction, float distance = 0.0f) { return Ray{origin, direction, false, distance}; }

void expectColour(Vec3 actual, Vec3 expected, float tolerance = 0.0f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

SettingsValues limits(const char* maxDepth, const char* minEnergy)
{
    return {.maxDepth = maxDepth, .minEnergy = minEnergy};
}

}  // namespace

TEST(Trace, RoomSurfacesHaveFixedColours)
{
    const auto scene = makeScene();
    // Depth 0 stops only the model and the mirror.
    const Renderer renderer = makeRenderer(*scene, limits("0", "0.0001"));
    const Vec3 from{-20.0f, 0.0f, 20.0f};
    expectColour(renderer.trace(rayFrom(from, {0.0f, -1.0f, 0.0f}), 0), white);
    expectColour(renderer.trace(rayFrom(from, {0.0f, 1.0f, 0.0f}), 0), white);
    expectColour(renderer.trace(rayFrom(from, {-1.0f, 0.0f, 0.0f}), 0), red);
    expectColour(renderer.trace(rayFrom(from, {1.0f, 0.0f, 0.0f}), 0), {0.0f, 1.0f, 0.0f});
    expectColour(renderer.trace(rayFrom(from, {0.0f, 0.0f, -1.0f}), 0), {1.0f, 1.0f, 0.0f});
    expectColour(renderer.trace(rayFrom(from, {0.0f, 0.0f, 1.0f}), 0), black);  // out of the open side
}

// The back wall is 60 away; the cut-off compares the whole path, strictly.
TEST(Trace, EnergyCutOffCountsTheWholePath)
{
    const auto scene = makeScene();
    const Renderer renderer = makeRenderer(*scene, limits("8", "0.0001"));
    const Vec3 from{-20.0f, 0.0f, 20.0f};
    const Vec3 back{0.0f, 0.0f, -1.0f};
    expectColour(renderer.trace(rayFrom(from, back, 40.0f), 0), {1.0f, 1.0f, 0.0f});
    expectColour(renderer.trace(rayFrom(from, back, 41.0f), 0), black);

    // A camera standing on the floor: the path is 0 long and its energy infinite.
    const Renderer strict = makeRenderer(*scene, limits("8", "1e30"));
    expectColour(strict.trace(rayFrom({-20.0f, -40.0f, 20.0f}, {0.0f, -1.0f, 0.0f}), 0), white);
}

// From (10, 0, 30) straight back, the mirror (at z = -10) turns the ray to the red left wall,
// 50 further on, so the path is 90 long; the same wall seen directly is 50 away.
TEST(Trace, MirrorReflectsWithoutLossAndCountsTowardsThePath)
{
    const auto scene = makeScene();
    const Ray intoMirror = rayFrom({10.0f, 0.0f, 30.0f}, {0.0f, 0.0f, -1.0f});
    const Ray toLeftWall = rayFrom({10.0f, 0.0f, 30.0f}, {-1.0f, 0.0f, 0.0f});

    expectColour(makeRenderer(*scene, limits("1", "0.0001")).trace(intoMirror, 0), red);
    expectColour(makeRenderer(*scene, limits("0", "0.0001")).trace(intoMirror, 0), black);

    const Renderer farSighted = makeRenderer(*scene, limits("1", "0.00015"));
    expectColour(farSighted.trace(intoMirror, 0), black);
    expectColour(farSighted.trace(toLeftWall, 0), red);
}

// A ray straight down through a box: head-on at both faces, so both reflect the same share R,
// and the reflections go straight back up.
class ThroughTheModel : public testing::Test {
protected:
    const std::unique_ptr<TracerTestScene> scene = makeScene(boxModel({-25.0f, 10.0f, 15.0f}, {-15.0f, 20.0f, 25.0f}));
    const Ray down = rayFrom({-22.0f, 30.0f, 21.0f}, {0.0f, -1.0f, 0.0f});
    const double n = scene->m_refractionIndex;
    const double R = (n - 1.0) * (n - 1.0) / ((n + 1.0) * (n + 1.0));
    const double T = 1.0 - R;

    Vec3 traceDown(const char* maxDepth) const { return makeRenderer(*scene, limits(maxDepth, "0")).trace(down, 0); }
};

TEST_F(ThroughTheModel, DepthLimitBlacksTheModel)
{
    expectColour(traceDown("0"), black);
    // Only the reflection off the top face reaches the white ceiling; red and green are halved.
    const auto reflected = static_cast<float>(R);
    expectColour(traceDown("1"), {0.5f * reflected, 0.5f * reflected, reflected}, 1e-6f);
}

TEST_F(ThroughTheModel, HeadOnRefractionGoesStraightThrough)
{
    // Depth 2: the ceiling by reflection, and the white floor after entering and leaving
    // (tinted at both faces); the reflection inside the box ends at the depth limit.
    const double leaving = T;
    const double entering = R * 1.0 + T * leaving;
    const double redGreen = 0.5 * (R * 1.0 + T * (0.5 * leaving));
    const Vec3 colour = traceDown("2");
    EXPECT_TRUE(std::isfinite(colour.x) && std::isfinite(colour.y) && std::isfinite(colour.z));
    expectColour(colour, {static_cast<float>(redGreen), static_cast<float>(redGreen), static_cast<float>(entering)},
                 1e-5f);
}
