#include "tests/tracer/PaintedStackThread.h"
#include "tests/tracer/TracerTestScene.h"
#include "tracer/RenderLoop.h"
#include "tracer/StackHeadroom.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#if LUMORA_OPENMP
#include <omp.h>
#endif

// Built into two test programs, one per render loop; LUMORA_OPENMP says which one this is.
#if LUMORA_OPENMP
#define RENDER_LOOP ParallelRenderLoop
#else
#define RENDER_LOOP SerialRenderLoop
#endif

namespace {

// The default camera looks into the room at the mirror and at a box standing on the floor.
std::unique_ptr<TracerTestScene> sceneWithBox()
{
    return makeScene(boxModel({-20.0f, 0.0f, -15.0f}, {-5.0f, 25.0f, 0.0f}));
}

Renderer rendererOfSize(const Scene& scene, std::uint32_t width, std::uint32_t height)
{
    return makeRenderer(scene, {.width = std::to_string(width), .height = std::to_string(height)});
}

// Every element x + width * y holds exactly that pixel's colour.
void expectEveryPixelColoured(const Renderer& renderer)
{
    const std::uint32_t width = renderer.m_resolution.x;
    const std::uint32_t height = renderer.m_resolution.y;
    ASSERT_EQ(renderer.m_framebuffer.size(), std::size_t{width} * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            using Bits = std::array<std::uint32_t, 3>;
            const Bits expected = std::bit_cast<Bits>(renderer.pixelColour(x, y));
            EXPECT_EQ(std::bit_cast<Bits>(renderer.m_framebuffer[x + width * y]), expected) << x << ", " << y;
        }
    }
}

}  // namespace

TEST(RENDER_LOOP, ColoursEveryPixelIntoItsElement)
{
    const auto scene = sceneWithBox();
    Renderer renderer = rendererOfSize(*scene, 9, 7);
    renderer.render();
    expectEveryPixelColoured(renderer);
    // Not a blank picture: the room, the mirror and the box give several colours.
    std::set<std::tuple<float, float, float>> colours;
    for (const Vec3& colour : renderer.m_framebuffer) {
        colours.insert({colour.x, colour.y, colour.z});
    }
    EXPECT_GE(colours.size(), 4u);
}

TEST(RENDER_LOOP, EmptyAndSingleColumnPictures)
{
    const auto scene = sceneWithBox();
    for (const auto& [width, height] : {std::pair{0u, 5u}, std::pair{5u, 0u}, std::pair{1u, 6u}}) {
        // The settings refuse an empty picture; the loop still has to draw nothing for one.
        Renderer renderer = rendererOfSize(*scene, 1, 6);
        renderer.m_resolution = {width, height};
        renderer.m_framebuffer.assign(std::size_t{width} * height, Vec3{0.0f, 0.0f, 0.0f});
        renderer.render();
        expectEveryPixelColoured(renderer);
    }
}

// Progress is reported between rows, on the thread that called render, once each row is complete.
TEST(RENDER_LOOP, ReportsEachFinishedRowOnTheCallingThread)
{
    const auto scene = sceneWithBox();
    Renderer renderer = rendererOfSize(*scene, 6, 4);
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<std::uint32_t> reported;
    renderer.render([&](std::uint32_t rowsDone) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        reported.push_back(rowsDone);
        for (std::uint32_t y = 0; y < rowsDone; ++y) {
            for (std::uint32_t x = 0; x < 6; ++x) {
                using Bits = std::array<std::uint32_t, 3>;
                const Bits expected = std::bit_cast<Bits>(renderer.pixelColour(x, y));
                EXPECT_EQ(std::bit_cast<Bits>(renderer.m_framebuffer[x + 6 * y]), expected) << x << ", " << y;
            }
        }
    });
    EXPECT_EQ(reported, (std::vector<std::uint32_t>{1, 2, 3, 4}));
    expectEveryPixelColoured(renderer);
}

TEST(RENDER_LOOP, BannerNamesTheLoop)
{
#if LUMORA_OPENMP
    EXPECT_EQ(renderLoopBanner(), "=====================Using OpenMP=======:");
#else
    EXPECT_EQ(renderLoopBanner(), "=============Without Using OpenMP=======:");
#endif
}

// The render threads include the calling one, so the headroom is at most the caller's own.
TEST(RENDER_LOOP, StackHeadroomCoversTheCallingThread)
{
    std::size_t own = 0;
    std::size_t renderThreads = 0;
    runOnPaintedStack(512 * 1024, [&] {
        own = currentThreadStackHeadroom();
        renderThreads = renderThreadStackHeadroom();
    });
    EXPECT_LE(renderThreads, own);
    EXPECT_GT(renderThreads + 16 * 1024, own);
}

#if LUMORA_OPENMP

// However the columns are shared out, each pixel gets the same colour.
TEST(RENDER_LOOP, AnyTeamSizeGivesTheSamePicture)
{
    const auto scene = sceneWithBox();
    const int previous = omp_get_max_threads();
    // Largest team first: LLVM's OpenMP runtime 14 leaks a little when a team grows.
    for (const int threads : {7, 3, 2, 1}) {
        omp_set_num_threads(threads);
        for (const auto& [width, height] : {std::pair{11u, 4u}, std::pair{1u, 3u}}) {
            Renderer renderer = rendererOfSize(*scene, width, height);
            renderer.render();
            expectEveryPixelColoured(renderer);
        }
    }
    omp_set_num_threads(previous);
}

#endif
