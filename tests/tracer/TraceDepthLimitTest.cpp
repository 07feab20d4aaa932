#include "tests/tracer/PaintedStackThread.h"
#include "tests/tracer/TracerTestScene.h"
#include "tracer/RenderLoop.h"
#include "tracer/TraceDepthLimit.h"
#include "tracer/TraceStackBudget.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

TEST(DeepestTraceDepth, KeepsTheMarginAndOneBudgetPerLevel)
{
    EXPECT_EQ(deepestTraceDepth(0), 0u);
    EXPECT_EQ(deepestTraceDepth(kTraceStackSafetyMargin), 0u);
    // Depth 1 nests two levels.
    EXPECT_EQ(deepestTraceDepth(kTraceStackSafetyMargin + 2 * kTraceLevelStackBytes - 1), 0u);
    EXPECT_EQ(deepestTraceDepth(kTraceStackSafetyMargin + 2 * kTraceLevelStackBytes), 1u);
    EXPECT_EQ(deepestTraceDepth(std::numeric_limits<std::size_t>::max()), std::numeric_limits<std::uint32_t>::max());
}

// Inside a closed box, a ray none of whose direction components reaches the critical cosine
// (about 0.665 from inside) meets every side beyond the critical angle. Each hit reflects it
// whole and back inside, so only the depth limit ends the chain and no light gets out.
class TrappedRay : public testing::Test {
protected:
    static constexpr std::size_t stackSize = 1024 * 1024;

    const std::unique_ptr<TracerTestScene> scene = makeScene(boxModel({-10.0f, 5.0f, -10.0f}, {10.0f, 25.0f, 10.0f}));
    Renderer renderer = makeRenderer(*scene, {});
    const Ray ray{{1.0f, -24.0f, 2.0f}, normalize({1.0f, 1.1f, 1.2f}), true, 0.0f};

    // Traces the ray at the given depth limit on a fresh small stack, following every ray, or as
    // render does first, only those that carry much of the colour; the bytes it touched.
    std::size_t traceOnSmallStack(std::uint32_t maxDepth, bool brightRaysOnly, Vec3& colour)
    {
        renderer.max_depth_ = maxDepth;
        renderer.min_energy_ = 0.0f;
        return runOnPaintedStack(stackSize, [&] {
            std::vector<HitRecord> hits;
            BrightRayPass pass{.dimShare = 1e-4f, .hits = &hits};
            colour = brightRaysOnly ? renderer.traceBrightRays(ray, pass).high : renderer.trace(ray, 0);
        });
    }
};

TEST_F(TrappedRay, DeepestDepthFitsTheStackWithTheBudgetToSpare)
{
    std::uint32_t deepest = 0;
    runOnPaintedStack(stackSize, [&deepest] { deepest = deepestTraceDepth(renderThreadStackHeadroom()); });
    ASSERT_GT(deepest, 50u);

    for (const bool brightRaysOnly : {false, true}) {
        SCOPED_TRACE(brightRaysOnly ? "bright rays only" : "every ray");
        Vec3 colour{1.0f, 1.0f, 1.0f};
        const std::size_t full = traceOnSmallStack(deepest, brightRaysOnly, colour);
        EXPECT_EQ(colour.x, 0.0f);
        EXPECT_EQ(colour.y, 0.0f);
        EXPECT_EQ(colour.z, 0.0f);

        // Each level costs stack, and no more than the budget: the chain really went that deep.
        const std::uint32_t half = deepest / 2;
        const std::size_t halfway = traceOnSmallStack(half, brightRaysOnly, colour);
        ASSERT_GT(full, halfway);
        const std::size_t perLevel = (full - halfway) / (deepest - half);
        RecordProperty(brightRaysOnly ? "bright_ray_stack_bytes_per_level" : "stack_bytes_per_level",
                       static_cast<int>(perLevel));
        EXPECT_GE(perLevel, 16u);
        EXPECT_LE(perLevel, kTraceLevelStackBytes);
    }
}
