#include "bench/RecordedRays.h"
#include "bench/ShippedScene.h"
#include "tests/support/TempDir.h"
#include "tracer/Renderer.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <fstream>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using RayBits = std::array<std::uint32_t, 6>;

RayBits bitsOf(const Ray& ray)
{
    return {std::bit_cast<std::uint32_t>(ray.origin.x),    std::bit_cast<std::uint32_t>(ray.origin.y),
            std::bit_cast<std::uint32_t>(ray.origin.z),    std::bit_cast<std::uint32_t>(ray.direction.x),
            std::bit_cast<std::uint32_t>(ray.direction.y), std::bit_cast<std::uint32_t>(ray.direction.z)};
}

}  // namespace

TEST(RecordedRays, RoundTripKeepsEveryBitAndThePictureSize)
{
    const float infinity = std::numeric_limits<float>::infinity();
    const float tiny = std::numeric_limits<float>::denorm_min();
    const float nan = std::bit_cast<float>(0x7fc12345u);
    RecordedRays written{640, 3, {}};
    written.rays.push_back({{-0.0f, tiny, -infinity}, {nan, 1.0f, -1e-30f}, true, 12.5f});
    written.rays.push_back({{1.5f, -2.25f, 3e38f}, {0.6f, -0.8f, 0.0f}, false, 0.0f});

    const TempDir dir;
    writeRecordedRays(dir.path() / "rays.bin", written);
    const RecordedRays read = readRecordedRays(dir.path() / "rays.bin");
    EXPECT_EQ(read.width, 640u);
    EXPECT_EQ(read.height, 3u);
    ASSERT_EQ(read.rays.size(), written.rays.size());
    for (std::size_t i = 0; i < read.rays.size(); ++i) {
        EXPECT_EQ(bitsOf(read.rays[i]), bitsOf(written.rays[i])) << i;
        EXPECT_FALSE(read.rays[i].inside);
        EXPECT_EQ(read.rays[i].distance, 0.0f);
    }
}

TEST(RecordedRays, RejectsForeignTruncatedAndOverlongFiles)
{
    const TempDir dir;
    writeRecordedRays(dir.path() / "good.bin",
                      {2, 1, {{{1, 2, 3}, {0, 0, 1}, false, 0}, {{4, 5, 6}, {0, 1, 0}, false, 0}}});
    const std::string good = readFileBytes(dir.path() / "good.bin");
    ASSERT_EQ(good.size(), 24u + 2 * 24);

    std::string foreign = good;
    foreign[7] = '2';
    for (const auto& [name, content] :
         {std::pair{"foreign", foreign}, std::pair{"truncated", good.substr(0, good.size() - 1)},
          std::pair{"overlong", good + '\0'}, std::pair{"header only", good.substr(0, 20)}}) {
        const auto path = dir.write(name, content);
        EXPECT_THROW(readRecordedRays(path), std::runtime_error) << name;
    }
}

// The kept file must be what recording the shipped scene gives today: its first row of pixels
// recorded again matches the file's first rays bit for bit.
TEST(RecordedRays, KeptFileHoldsTheRaysOfTheShippedScene)
{
    const RecordedRays kept = readRecordedRays(benchDataFile("default-scene-rays.bin"));
    ASSERT_GT(kept.width, 0u);
    ASSERT_GE(kept.rays.size(), std::size_t{kept.width} * kept.height);

    const auto scene = loadShippedScene();
    const std::unique_ptr<Renderer> ownedRenderer = shippedRenderer(*scene, kept.width, kept.height);
    const Renderer& renderer = *ownedRenderer;
    std::vector<Ray> firstRow;
    for (std::uint32_t x = 0; x < kept.width; ++x) {
        renderer.traceRecordingRays(renderer.primaryRay(x, 0), 0, firstRow);
    }
    ASSERT_LE(firstRow.size(), kept.rays.size());
    for (std::size_t i = 0; i < firstRow.size(); ++i) {
        ASSERT_EQ(bitsOf(kept.rays[i]), bitsOf(firstRow[i])) << i;
    }
}
