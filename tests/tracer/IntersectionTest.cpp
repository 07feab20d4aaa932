#include "tests/tracer/TracerTestScene.h"

#include <gtest/gtest.h>

namespace {

// The right triangle (0,0,0), (1,0,0), (0,1,0) in the plane z = 0.
TriangleList unitTriangle() { return {{{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}}, {{0, 1, 2}}}; }

Ray downZ(float x, float y, float z) { return Ray{{x, y, z}, {0.0f, 0.0f, -1.0f}, false, 0.0f}; }

void expectHit(const HitRecord& hit, float t, HitKind kind, std::uint32_t index)
{
    EXPECT_EQ(hit.t, t);
    EXPECT_EQ(hit.kind, kind);
    EXPECT_EQ(hit.index, index);
}

void expectMiss(const HitRecord& hit) { expectHit(hit, 0.0f, None, 0); }

}  // namespace

TEST(IntersectList, EdgesCornersAndTheSurfaceItselfCount)
{
    const TriangleList triangle = unitTriangle();
    expectHit(intersectList(triangle, downZ(0.25f, 0.25f, 5.0f)), 5.0f, ListHit, 0);
    expectHit(intersectList(triangle, downZ(0.0f, 0.5f, 5.0f)), 5.0f, ListHit, 0);    // u = 0
    expectHit(intersectList(triangle, downZ(0.5f, 0.0f, 5.0f)), 5.0f, ListHit, 0);    // v = 0
    expectHit(intersectList(triangle, downZ(0.5f, 0.5f, 5.0f)), 5.0f, ListHit, 0);    // u + v = 1
    expectHit(intersectList(triangle, downZ(0.0f, 0.0f, 5.0f)), 5.0f, ListHit, 0);    // a corner
    expectHit(intersectList(triangle, downZ(0.25f, 0.25f, 0.0f)), 0.0f, ListHit, 0);  // origin on it

    expectMiss(intersectList(triangle, downZ(0.5f, 0.5001f, 5.0f)));
    expectMiss(intersectList(triangle, downZ(-0.0001f, 0.5f, 5.0f)));
    expectMiss(intersectList(triangle, downZ(0.25f, 0.25f, -5.0f)));  // behind the origin

    const Ray fromBehind{{0.25f, 0.25f, -5.0f}, {0.0f, 0.0f, 1.0f}, false, 0.0f};
    expectHit(intersectList(triangle, fromBehind), 5.0f, ListHit, 0);
}

TEST(IntersectList, NearestTriangleWinsAndTheFirstKeepsATie)
{
    expectMiss(intersectList(TriangleList{}, downZ(0.25f, 0.25f, 5.0f)));

    TriangleList layers = unitTriangle();
    layers.vertices.insert(layers.vertices.end(), {{0.0f, 0.0f, 2.0f}, {1.0f, 0.0f, 2.0f}, {0.0f, 1.0f, 2.0f}});
    layers.triangles = {{0, 1, 2}, {3, 4, 5}, {2, 1, 0}};
    // Triangle 1 is nearer; triangle 2 repeats triangle 0 with the opposite winding.
    expectHit(intersectList(layers, downZ(0.25f, 0.25f, 5.0f)), 3.0f, ListHit, 1);
    expectHit(intersectList(layers, downZ(0.25f, 0.25f, 1.0f)), 1.0f, ListHit, 0);
}

TEST(NearestHit, FindsTheRoomsSurfaces)
{
    const auto scene = makeScene();
    const Renderer renderer = makeRenderer(*scene, {});
    expectHit(renderer.nearestHit(Ray{{-20.0f, 0.0f, 20.0f}, {0.0f, -1.0f, 0.0f}, false, 0.0f}), 40.0f, Floor, 1);
    expectHit(renderer.nearestHit(downZ(-20.0f, 0.0f, 20.0f)), 60.0f, BackWall, 1);
    // The mirror stands between this point and the back wall, crossing x = 10 at z = -10.
    EXPECT_EQ(renderer.nearestHit(downZ(10.0f, 0.0f, 30.0f)).kind, Mirror);
    // Out through the open side, and a scene whose model has no mesh: nothing is hit.
    expectMiss(renderer.nearestHit(Ray{{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, false, 0.0f}));
}

TEST(NearestHit, TiesGoToTheModelThenToTheEarlierSurface)
{
    // A model face lying on the floor: the model is drawn 40 lower than its own coordinates.
    const auto scene = makeScene({{{-30.0f, 0.0f, -30.0f}, {30.0f, 0.0f, -30.0f}, {0.0f, 0.0f, 30.0f}}, {{0, 1, 2}}});
    // A mirror laid flat on the back wall.
    scene->m_mirror.vertices = {
        {-40.0f, -40.0f, -40.0f}, {40.0f, -40.0f, -40.0f}, {40.0f, 40.0f, -40.0f}, {-40.0f, 40.0f, -40.0f}};
    const Renderer renderer = makeRenderer(*scene, {});

    expectHit(renderer.nearestHit(Ray{{-5.0f, 0.0f, 5.0f}, {0.0f, -1.0f, 0.0f}, false, 0.0f}), 40.0f, Model, 0);
    const HitRecord onBackWall = renderer.nearestHit(downZ(10.0f, -5.0f, 0.0f));
    EXPECT_EQ(onBackWall.t, 40.0f);
    EXPECT_EQ(onBackWall.kind, Mirror);
}
