#include "image/Picture.h"
#include "tests/support/PngReader.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

namespace {

// The names in a folder, to show that nothing was left behind.
std::set<std::string> folderListing(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Blue, green and red of pixel (column, rowFromTop) are 3 * column, row and 100 + column.
Picture patternedPicture(std::uint32_t width, std::uint32_t height)
{
    Picture picture = Picture::create(width, height).value();
    for (std::uint32_t row = 0; row < height; ++row) {
        std::uint8_t* pixels = picture.bits() + static_cast<std::ptrdiff_t>(row) * picture.pitch();
        for (std::uint32_t column = 0; column < width; ++column) {
            pixels[3 * column] = static_cast<std::uint8_t>(3 * column);
            pixels[3 * column + 1] = static_cast<std::uint8_t>(row);
            pixels[3 * column + 2] = static_cast<std::uint8_t>(100 + column);
        }
    }
    return picture;
}

std::uint32_t littleEndian32(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= std::uint32_t{static_cast<unsigned char>(bytes[offset + i])} << (8 * i);
    }
    return value;
}

}  // namespace

TEST(Picture, RowsArePaddedToFourBytesAndStoredBottomUp)
{
    const Picture picture = patternedPicture(5, 3);
    EXPECT_EQ(picture.pitch(), -16);

    const TempDir dir;
    ASSERT_TRUE(picture.save((dir.path() / "padded.bmp").string()));
    const std::string bmp = readFileBytes(dir.path() / "padded.bmp");
    const std::size_t headers = 54;
    ASSERT_EQ(bmp.size(), headers + 3 * 16);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(littleEndian32(bmp, 2), bmp.size());
    EXPECT_EQ(littleEndian32(bmp, 10), headers);
    EXPECT_EQ(littleEndian32(bmp, 18), 5u);
    EXPECT_EQ(littleEndian32(bmp, 22), 3u);
    // The file's first row is the bottom row, the last one counted from the top.
    for (std::size_t stored = 0; stored < 3; ++stored) {
        const std::size_t rowStart = headers + 16 * stored;
        for (std::size_t column = 0; column < 5; ++column) {
            EXPECT_EQ(static_cast<unsigned char>(bmp[rowStart + 3 * column]), 3 * column);
            EXPECT_EQ(static_cast<unsigned char>(bmp[rowStart + 3 * column + 1]), 2 - stored);
            EXPECT_EQ(static_cast<unsigned char>(bmp[rowStart + 3 * column + 2]), 100 + column);
        }
        EXPECT_EQ(bmp[rowStart + 15], '\0') << "padding byte of stored row " << stored;
    }
}

TEST(Picture, ExtensionChoosesTheFormatWithoutRegardToCase)
{
    const TempDir dir;
    const Picture picture = patternedPicture(2, 2);
    ASSERT_TRUE(picture.save((dir.path() / "upper.PNG").string()));
    EXPECT_EQ(readPng(dir.path() / "upper.PNG").width, 2u);
    ASSERT_TRUE(picture.save((dir.path() / "mixed.png.Bmp").string()));
    EXPECT_EQ(readFileBytes(dir.path() / "mixed.png.Bmp").substr(0, 2), "BM");
}

// The encoder's run-length matching meets long flat runs (longer than one deflate match),
// repeated rows, smooth gradients and noise; decoding gives back every byte in place.
TEST(Picture, PngKeepsEveryPixelOfFlatSmoothAndNoisyRegions)
{
    Picture picture = Picture::create(601, 120).value();
    std::uint32_t state = 777;
    for (std::uint32_t row = 0; row < picture.height(); ++row) {
        std::uint8_t* pixels = picture.bits() + static_cast<std::ptrdiff_t>(row) * picture.pitch();
        for (std::uint32_t column = 0; column < picture.width(); ++column) {
            state = state * 1664525u + 1013904223u;
            const bool noisy = column > 400 && row % 40 < 30;
            const std::uint8_t flat[3] = {20, static_cast<std::uint8_t>(row < 60 ? 200 : 0), 255};
            for (std::uint32_t channel = 0; channel < 3; ++channel) {
                pixels[3 * column + channel] = noisy          ? static_cast<std::uint8_t>(state >> (8 * channel + 8))
                                               : column < 300 ? flat[channel]
                                                              : static_cast<std::uint8_t>(column + channel * row);
            }
        }
    }

    const TempDir dir;
    ASSERT_TRUE(picture.save((dir.path() / "mixed.png").string()));
    const DecodedPng png = readPng(dir.path() / "mixed.png");
    ASSERT_EQ(png.width, picture.width());
    ASSERT_EQ(png.height, picture.height());
    for (std::uint32_t row = 0; row < picture.height(); ++row) {
        const std::uint8_t* pixels = picture.bits() + static_cast<std::ptrdiff_t>(row) * picture.pitch();
        for (std::uint32_t column = 0; column < picture.width(); ++column) {
            const std::uint8_t* decoded = png.pixel(column, row);
            ASSERT_EQ(decoded[0], pixels[3 * column + 2]) << column << ", " << row;
            ASSERT_EQ(decoded[1], pixels[3 * column + 1]) << column << ", " << row;
            ASSERT_EQ(decoded[2], pixels[3 * column]) << column << ", " << row;
        }
    }
}

TEST(Picture, UnknownExtensionsAndEmptyPicturesWriteNothing)
{
    const TempDir dir;
    std::filesystem::create_directory(dir.path() / "folder.png");
    const Picture picture = patternedPicture(2, 2);
    for (const std::string name : {"picture.jpg", "picture", "picture.png.txt", "folder.png/picture", ".png."}) {
        EXPECT_FALSE(picture.save((dir.path() / name).string())) << name;
    }
    EXPECT_FALSE(Picture::create(0, 4).value().save((dir.path() / "narrow.png").string()));
    EXPECT_FALSE(Picture::create(4, 0).value().save((dir.path() / "flat.bmp").string()));
    EXPECT_EQ(folderListing(dir.path()), std::set<std::string>{"folder.png"});
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "folder.png"));
}

TEST(Picture, UnwritableTargetsFailWithTheirReasonAndLeaveNoTemporaryFile)
{
    const TempDir dir;
    std::filesystem::create_directory(dir.path() / "taken.png");
    const Picture picture = patternedPicture(2, 2);
    errno = 0;
    EXPECT_FALSE(picture.save((dir.path() / "missing-folder" / "picture.png").string()));
    EXPECT_EQ(errno, ENOENT);
    errno = 0;
    EXPECT_FALSE(picture.save((dir.path() / "taken.png").string()));
    EXPECT_EQ(errno, EISDIR);
    errno = 0;
    EXPECT_FALSE(picture.save((dir.path() / "picture.gif").string()));
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(folderListing(dir.path()), std::set<std::string>{"taken.png"});
}

TEST(Picture, WriteThatRunsOutOfSpaceKeepsTheEarlierFile)
{
    const TempDir dir;
    const std::filesystem::path target = dir.write("picture.png", "earlier content");
    Picture noise = Picture::create(128, 128).value();
    std::uint32_t state = 12345;
    for (std::uint32_t row = 0; row < noise.height(); ++row) {
        std::uint8_t* pixels = noise.bits() + static_cast<std::ptrdiff_t>(row) * noise.pitch();
        for (std::uint32_t byte = 0; byte < 3 * noise.width(); ++byte) {
            state = state * 1664525u + 1013904223u;
            pixels[byte] = static_cast<std::uint8_t>(state >> 24);
        }
    }

    // A file size limit makes writes past 4 KiB fail as a full disk would; the signal that
    // would otherwise end the process is ignored so the write just reports the error.
    rlimit previousLimit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previousLimit), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit smallLimit = previousLimit;
    smallLimit.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &smallLimit), 0);
    const bool saved = noise.save(target.string());
    const int savedError = errno;
    setrlimit(RLIMIT_FSIZE, &previousLimit);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(savedError, EFBIG);
    EXPECT_EQ(readFileBytes(target), "earlier content");
    EXPECT_EQ(folderListing(dir.path()), std::set<std::string>{"picture.png"});
}
