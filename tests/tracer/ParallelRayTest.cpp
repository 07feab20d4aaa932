#include "tests/tracer/TracerTestScene.h"
#include "tracer/FloatLanes.h"
#include "tracer/TrianglePack.h"
#include "tracer/TriangleStrike.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

// Rays parallel to a triangle's plane make det exactly 0, and every quotient of the test
// infinite or NaN. They must never strike: a NaN hit would hide every real surface.

namespace {

// The right triangle (0,0,0), (1,0,0), (0,1,0) in the plane z = 0.
const TriangleCorners kTriangle{{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}};

struct ParallelCase {
    const char* what;
    Vec3 origin;
    Vec3 direction;
};

// Each has direction.z = 0, so det = 0 exactly.
const ParallelCase kParallelCases[] = {
    {"in the plane, across the triangle", {-1.0f, 0.25f, 0.0f}, {1.0f, 0.0f, 0.0f}},
    {"in the plane, from inside the triangle", {0.25f, 0.25f, 0.0f}, {0.0f, 1.0f, 0.0f}},
    {"in the plane, along an edge", {-2.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}},
    {"in the plane, through a corner", {0.0f, -3.0f, 0.0f}, {0.0f, 1.0f, 0.0f}},
    {"in the plane, far away", {50.0f, 50.0f, 0.0f}, {0.6f, 0.8f, 0.0f}},
    {"above the plane", {-1.0f, 0.25f, 1.0f}, {1.0f, 0.0f, 0.0f}},
    {"below the plane, far away", {-100.0f, 7.0f, -0.5f}, {0.0f, -1.0f, 0.0f}},
};

}  // namespace

TEST(ParallelRays, NeverStrikeATriangle)
{
    for (const ParallelCase& parallel : kParallelCases) {
        SCOPED_TRACE(parallel.what);
        float t = 0.0f;
        EXPECT_FALSE(strikeTriangle(kTriangle, parallel.origin, parallel.direction, t));
    }
    // The same test a pack at a time: no lane strikes either.
    TrianglePackOf<kPackWidth> pack = emptyPack<kPackWidth>();
    for (unsigned lane = 0; lane < kPackWidth; ++lane) {
        setLane(pack, lane, kTriangle, lane);
    }
    for (const ParallelCase& parallel : kParallelCases) {
        SCOPED_TRACE(parallel.what);
        alignas(32) float t[kPackWidth];
        unsigned nearParallel = 0;
        EXPECT_EQ(strikePack(pack, PackRay<PairedLanes>(parallel.origin, parallel.direction), t, nearParallel), 0u);
        // det is 0: every lane says the ray runs in its plane.
        EXPECT_EQ(nearParallel, kEveryLaneOf<kPackWidth>);
    }
    // A ray that is not parallel still strikes the same corner.
    float t = 0.0f;
    EXPECT_TRUE(strikeTriangle(kTriangle, {0.0f, 0.0f, 2.0f}, {0.0f, 0.0f, -1.0f}, t));
    EXPECT_EQ(t, 2.0f);
}

TEST(ParallelRays, AnInPlaneRowShowsTheRoomBehindABox)
{
    // A box standing on the floor with its top face at world height -15, seen by a camera at
    // exactly that height: with an odd picture height the middle row of camera rays is exactly
    // horizontal and lies in the plane of the top face.
    const auto scene = makeScene(boxModel({-20.0f, 0.0f, -15.0f}, {-5.0f, 25.0f, 0.0f}));
    Renderer renderer = makeRenderer(
        *scene,
        {.posX = "-12", .posY = "-15", .posZ = "30", .angleX = "1.5", .angleY = "1.0", .width = "31", .height = "9"});
    renderer.render();
    const std::uint32_t middle = 4;
    std::uint32_t wallPixels = 0;
    for (std::uint32_t x = 0; x < renderer.m_resolution.x; ++x) {
        SCOPED_TRACE("column " + std::to_string(x));
        const Ray ray = renderer.primaryRay(x, middle);
        ASSERT_EQ(ray.direction.y, 0.0f);
        for (const HitRecord& hit : {renderer.bruteForceNearestHit(ray), renderer.acceleratedNearestHit(ray)}) {
            EXPECT_TRUE(std::isfinite(hit.t));
            EXPECT_NE(hit.kind, None);
        }
        // A wall seen along the row keeps its colour.
        const HitRecord hit = renderer.nearestHit(ray);
        if (hit.kind == LeftWall || hit.kind == RightWall || hit.kind == BackWall) {
            ++wallPixels;
            const Vec3 colour = renderer.m_framebuffer[x + renderer.m_resolution.x * middle];
            EXPECT_GT(colour.x + colour.y + colour.z, 0.0f);
        }
    }
    // The row passes the box's top edge and reaches the walls on both sides of it.
    EXPECT_GT(wallPixels, 10u);
    EXPECT_LT(wallPixels, renderer.m_resolution.x);
}
