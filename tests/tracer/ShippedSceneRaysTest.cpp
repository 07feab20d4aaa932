#include "tests/support/CoutCapture.h"
#include "tests/support/TempDir.h"
#include "tests/tracer/SearchAgreement.h"
#include "tests/tracer/TracerTestScene.h"

#include <gtest/gtest.h>

#include <cstdint>

// The accelerated search against brute force on the rays that rendering the shipped scene
// follows: camera rays and every reflected and refracted ray that shading spawns. The picture
// is split into shares of rows, one test each, so the test runner can run them side by side.

namespace {

// About 10 rays a pixel: 368 x 276 gives just over a million rays in all. The sanitizer build
// checks every 16th ray of each share.
constexpr std::uint32_t kWidth = 368;
constexpr std::uint32_t kHeight = 276;
constexpr std::uint32_t kShares = 4;
#if defined(LUMORA_FEWER_RAYS)
constexpr std::size_t kRayStride = 16;
#else
constexpr std::size_t kRayStride = 1;
#endif

class ShippedSceneRays : public testing::TestWithParam<std::uint32_t> {};

}  // namespace

TEST_P(ShippedSceneRays, BothSearchesGiveTheSameHits)
{
    std::unique_ptr<Scene> scene;
    {
        CoutCapture quiet;
        scene = std::make_unique<Scene>((sourceDir() / "data" / "CrystalModel" / "Crystal.3DS").string());
    }
    ASSERT_TRUE(scene->hasModelMesh());
    const Renderer renderer = makeRenderer(*scene, shippedSettingsAt(kWidth, kHeight));
    std::vector<Ray> rays;
    for (std::uint32_t y = GetParam(); y < kHeight; y += kShares) {
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            renderer.traceRecordingRays(renderer.primaryRay(x, y), 0, rays);
        }
    }
    // Most rays are secondary ones; a share of a million holds about a quarter of it.
    EXPECT_GT(rays.size(), 230'000u);
    std::vector<Ray> sample;
    for (std::size_t i = 0; i < rays.size(); i += kRayStride) {
        sample.push_back(rays[i]);
    }
    EXPECT_EQ(searchDisagreement(renderer, sample), "");
}

INSTANTIATE_TEST_SUITE_P(RowShares, ShippedSceneRays, testing::Range(0u, kShares));
