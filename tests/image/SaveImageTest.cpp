#include "tests/support/PngReader.h"
#include "tests/support/SettingsFile.h"
#include "tests/support/TempDir.h"
#include "tracer/Renderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>

namespace {

// A renderer with the given resolution and a zero framebuffer. Its constructor only keeps the
// scene pointer, so no scene is needed.
Renderer rendererOfSize(std::uint32_t width, std::uint32_t height)
{
    const TempDir dir;
    SettingsValues values;
    values.width = std::to_string(width);
    values.height = std::to_string(height);
    return Renderer(nullptr, dir.write("scene_settings.xml", settingsXml(values)).string());
}

Vec3& pixel(Renderer& renderer, std::uint32_t x, std::uint32_t y)
{
    return renderer.m_framebuffer[x + std::size_t{renderer.m_resolution.x} * y];
}

// The message of the std::string that saveImage throws, or "" when it throws none.
std::string saveError(const Renderer& renderer, const std::filesystem::path& path)
{
    try {
        renderer.saveImage(path.string());
    } catch (const std::string& message) {
        return message;
    }
    return "";
}

}  // namespace

TEST(SaveImage, ClampsScalesAndTruncatesEachChannel)
{
    Renderer renderer = rendererOfSize(4, 1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    pixel(renderer, 0, 0) = {1.0f, 0.5f, 0.0f};
    pixel(renderer, 1, 0) = {2.0f, -1.0f, 0.25f};
    pixel(renderer, 2, 0) = {nan, 0.999f, -0.0f};
    pixel(renderer, 3, 0) = {infinity, -infinity, -nan};

    const TempDir dir;
    renderer.saveImage((dir.path() / "channels.png").string());
    const DecodedPng png = readPng(dir.path() / "channels.png");
    ASSERT_EQ(png.width, 4u);
    ASSERT_EQ(png.height, 1u);
    const std::uint8_t expected[4][3] = {{255, 127, 0}, {255, 0, 63}, {0, 254, 0}, {255, 0, 0}};
    for (std::uint32_t x = 0; x < 4; ++x) {
        for (int channel = 0; channel < 3; ++channel) {
            EXPECT_EQ(png.pixel(x, 0)[channel], expected[x][channel]) << "pixel " << x << " channel " << channel;
        }
    }
}

TEST(SaveImage, RoundTripPutsFramebufferRowZeroAtTheBottom)
{
    // Width 5 makes rows of 15 bytes, padded to 16 in the picture.
    const std::uint32_t width = 5;
    const std::uint32_t height = 7;
    Renderer renderer = rendererOfSize(width, height);
    // Each channel lands a quarter step above a whole byte value, so truncation gives that value.
    const auto level = [](std::uint32_t byte) { return (static_cast<float>(byte) + 0.25f) / 255.0f; };
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            pixel(renderer, x, y) = {level(10 * x), level(30 * y), level(200 + x + y)};
        }
    }

    const TempDir dir;
    renderer.saveImage((dir.path() / "Result1.PNG").string());
    const DecodedPng png = readPng(dir.path() / "Result1.PNG");
    ASSERT_EQ(png.width, width);
    ASSERT_EQ(png.height, height);
    EXPECT_EQ(png.bitDepth, 8);
    EXPECT_EQ(png.colorType, 2);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint32_t rowFromTop = height - 1 - y;
        for (std::uint32_t x = 0; x < width; ++x) {
            EXPECT_EQ(png.pixel(x, rowFromTop)[0], 10 * x);
            EXPECT_EQ(png.pixel(x, rowFromTop)[1], 30 * y);
            EXPECT_EQ(png.pixel(x, rowFromTop)[2], 200 + x + y);
        }
    }
}

TEST(SaveImage, FailedSaveThrowsItsReasonAndLeavesNoFile)
{
    const TempDir dir;
    const Renderer renderer = rendererOfSize(2, 2);
    const auto jpeg = dir.path() / "Result1.jpg";
    EXPECT_EQ(saveError(renderer, jpeg),
              "Can not save image \"" + jpeg.string() + "\". Its extension names no picture format: use .png or .bmp.");
    const auto inMissingFolder = dir.path() / "missing-folder" / "Result1.png";
    EXPECT_EQ(saveError(renderer, inMissingFolder),
              "Can not save image \"" + inMissingFolder.string() + "\". No such file or directory.");
    // The settings refuse an empty picture; a renderer emptied afterwards is refused by the save.
    Renderer empty = rendererOfSize(2, 2);
    empty.m_resolution = {0, 3};
    empty.m_framebuffer.clear();
    const auto emptyPath = dir.path() / "empty.png";
    EXPECT_EQ(saveError(empty, emptyPath), "Can not save image \"" + emptyPath.string() + "\". Invalid argument.");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}
