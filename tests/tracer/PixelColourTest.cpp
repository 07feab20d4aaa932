#include "tests/support/CoutCapture.h"
#include "tests/support/TempDir.h"
#include "tests/tracer/TracerTestScene.h"
#include "tracer/ChannelByte.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bits = std::array<std::uint32_t, 3>;

Bits bitsOf(Vec3 colour) { return std::bit_cast<Bits>(colour); }

std::unique_ptr<Scene> shippedScene()
{
    CoutCapture quiet;
    return std::make_unique<Scene>((sourceDir() / "data" / "CrystalModel" / "Crystal.3DS").string());
}

// Checks that every pixel's colour saves as trace's bytes; returns how many pixels have a colour
// other than trace's, found without tracing some of their rays.
std::size_t pixelsNotTracedInFull(const Renderer& renderer)
{
    std::size_t notInFull = 0;
    for (std::uint32_t y = 0; y < renderer.m_resolution.y; ++y) {
        for (std::uint32_t x = 0; x < renderer.m_resolution.x; ++x) {
            const Vec3 traced = renderer.trace(renderer.primaryRay(x, y), 0);
            const Vec3 colour = renderer.pixelColour(x, y);
            EXPECT_EQ(colourBytes(colour), colourBytes(traced)) << x << ", " << y;
            notInFull += bitsOf(colour) != bitsOf(traced);
        }
    }
    return notInFull;
}

// The shipped settings with the camera at pos, looking along forward.
SettingsValues cameraAt(std::array<std::string, 3> pos, std::array<std::string, 3> forward)
{
    SettingsValues values = shippedSettingsAt(48, 37);
    values.posX = std::move(pos[0]);
    values.posY = std::move(pos[1]);
    values.posZ = std::move(pos[2]);
    values.forwardX = std::move(forward[0]);
    values.forwardY = std::move(forward[1]);
    values.forwardZ = std::move(forward[2]);
    return values;
}

// The shipped scene's camera and others: close to the cluster, from above, and level with the
// floor, where the middle row runs along faces.
std::array<SettingsValues, 4> shippedSceneCameras()
{
    return {shippedSettingsAt(48, 36), cameraAt({"12", "-28", "14"}, {"-0.7", "-0.5", "-1"}),
            cameraAt({"0", "35", "5"}, {"0", "-1", "-0.1"}), cameraAt({"0", "-38", "40"}, {"0", "0", "-1"})};
}

}  // namespace

// Leaving out the rays that carry little of a pixel's colour changes the float colour of many
// pixels, and the bytes of none.
TEST(PixelColour, SavesAsTraceDoesWithTheDimRaysLeftOut)
{
    const std::unique_ptr<Scene> scene = shippedScene();
    ASSERT_TRUE(scene->hasModelMesh());
    for (const SettingsValues& camera : shippedSceneCameras()) {
        SCOPED_TRACE("camera at " + camera.posX + ", " + camera.posY + ", " + camera.posZ);
        const Renderer renderer = makeRenderer(*scene, camera);
        const std::size_t notInFull = pixelsNotTracedInFull(renderer);
        if (!LUMORA_BRUTE_FORCE) {
            EXPECT_GT(notInFull, 0u);
        }
    }
}

// The bounds hold trace's colour channel by channel, however much is left out; with nothing left
// out they are trace's colour itself. A pass that reuses the hits of earlier ones gives exactly
// the bounds of a pass on its own.
TEST(PixelColour, BrightRaysBoundTheTracedColour)
{
    const std::unique_ptr<Scene> scene = shippedScene();
    const Renderer renderer = makeRenderer(*scene, shippedSettingsAt(40, 30));
    std::size_t open = 0;
    std::size_t reused = 0;
    for (std::uint32_t y = 0; y < renderer.m_resolution.y; ++y) {
        for (std::uint32_t x = 0; x < renderer.m_resolution.x; ++x) {
            const Ray ray = renderer.primaryRay(x, y);
            const Vec3 traced = renderer.trace(ray, 0);
            std::vector<HitRecord> earlierHits;
            std::vector<HitRecord> hits;
            BrightRayPass chained;
            for (const float dimShare : {0.5f, 0.05f, 0.001f, 0.0f}) {
                std::vector<HitRecord> aloneHits;
                BrightRayPass alone{.dimShare = dimShare, .hits = &aloneHits};
                const ColourRange bounds = renderer.traceBrightRays(ray, alone);
                for (const auto channel : {&Vec3::x, &Vec3::y, &Vec3::z}) {
                    EXPECT_LE(bounds.low.*channel, traced.*channel) << x << ", " << y << " at " << dimShare;
                    EXPECT_GE(bounds.high.*channel, traced.*channel) << x << ", " << y << " at " << dimShare;
                    open += bounds.low.*channel < bounds.high.*channel;
                }
                if (dimShare == 0.0f) {
                    EXPECT_EQ(bitsOf(bounds.low), bitsOf(traced)) << x << ", " << y;
                    EXPECT_EQ(bitsOf(bounds.high), bitsOf(traced)) << x << ", " << y;
                }

                hits.clear();
                chained.dimShare = dimShare;
                chained.nextEarlierHit = 0;
                chained.hits = &hits;
                const ColourRange chainedBounds = renderer.traceBrightRays(ray, chained);
                EXPECT_EQ(bitsOf(chainedBounds.low), bitsOf(bounds.low)) << x << ", " << y << " at " << dimShare;
                EXPECT_EQ(bitsOf(chainedBounds.high), bitsOf(bounds.high)) << x << ", " << y << " at " << dimShare;
                // Every hit of the earlier pass is reused, and the pass finds the same hits.
                EXPECT_EQ(chained.nextEarlierHit, earlierHits.size()) << x << ", " << y << " at " << dimShare;
                ASSERT_EQ(hits.size(), aloneHits.size()) << x << ", " << y << " at " << dimShare;
                EXPECT_EQ(std::memcmp(hits.data(), aloneHits.data(), hits.size() * sizeof(HitRecord)), 0)
                    << x << ", " << y << " at " << dimShare;
                reused += chained.nextEarlierHit;
                std::swap(earlierHits, hits);
                chained.earlierDimShare = dimShare;
                chained.earlierHits = &earlierHits;
            }
        }
    }
    EXPECT_GT(open, 100u);
    EXPECT_GT(reused, 1000u);
}

// Where the bounds might not hold, every pixel is traced in full: the same scenes with the
// crystal's index, near-unit normals and a depth limit within reach do leave rays out.
TEST(PixelColour, TracesEveryRayWhereTheBoundsMightNotHold)
{
    const std::unique_ptr<Scene> shipped = shippedScene();
    Renderer renderer = makeRenderer(*shipped, shippedSettingsAt(32, 24));
    shipped->m_refractionIndex = 1.5f;
    EXPECT_EQ(pixelsNotTracedInFull(renderer), 0u) << "another refractive index";
    shipped->m_refractionIndex = kCrystalRefractionIndex;
    renderer.max_depth_ = 4097;
    // Paths end after 100 units, some 40 beyond the crystal, well before the depth limit.
    renderer.min_energy_ = 1e-4f;
    EXPECT_EQ(pixelsNotTracedInFull(renderer), 0u) << "a depth limit above 4096";
    renderer.max_depth_ = 4096;
    const std::size_t withinReach = pixelsNotTracedInFull(renderer);

    // Three equal corners give a face whose normal is not finite.
    TestModel box = boxModel({-12.0f, 0.0f, -12.0f}, {12.0f, 24.0f, 12.0f});
    box.vertices.push_back({0.0f, 10.0f, 0.0f});
    const std::unique_ptr<TracerTestScene> boxScene = makeScene(box);
    box.faces.push_back({8, 8, 8});
    const std::unique_ptr<TracerTestScene> degenerateScene = makeScene(box);
    const SettingsValues camera{
        .posX = "5", .posY = "-10", .posZ = "39", .forwardX = "-0.2", .width = "16", .height = "16"};
    EXPECT_EQ(pixelsNotTracedInFull(makeRenderer(*degenerateScene, camera)), 0u) << "a face without a normal";
    const std::size_t withNormals = pixelsNotTracedInFull(makeRenderer(*boxScene, camera));
    if (!LUMORA_BRUTE_FORCE) {
        EXPECT_GT(withinReach, 0u);
        EXPECT_GT(withNormals, 0u);
    }
}
