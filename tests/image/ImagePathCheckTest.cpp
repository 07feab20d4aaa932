#include "image/ImagePathCheck.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

// The message the check throws, or "" when it accepts the path.
std::string refusal(const std::filesystem::path& path)
{
    try {
        refuseUnwritableImagePath(path.string());
    } catch (const std::string& message) {
        return message;
    }
    return "";
}

std::string saveFailureOf(const std::filesystem::path& path, const std::string& reason)
{
    return "Can not save image \"" + path.string() + "\". " + reason;
}

TEST(ImagePathCheck, AcceptsAWritableFolderAndAKnownExtensionInAnyCaseAndCreatesNothing)
{
    const TempDir dir;
    std::filesystem::create_directory(dir.path() / "folder");
    dir.write("existing.png", "an earlier picture");
    // The save renames over a link, so a link to a folder is not in the way.
    std::filesystem::create_directory_symlink(dir.path() / "folder", dir.path() / "link.png");
    for (const std::string name : {"Result1.png", "UPPER.PNG", "picture.Bmp", "existing.png", "link.png"}) {
        EXPECT_EQ(refusal(dir.path() / name), "") << name;
    }
    EXPECT_EQ(refusal("/Result1.png"), "");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "folder"));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 3u);
}

TEST(ImagePathCheck, NamesTheReasonAPictureCouldNotBeWritten)
{
    const TempDir dir;
    std::filesystem::create_directory(dir.path() / "Result1.png");
    const auto file = dir.write("file", "");
    const std::string noFormat = "Its extension names no picture format: use .png or .bmp.";
    EXPECT_EQ(refusal(dir.path() / "Result1.png"), saveFailureOf(dir.path() / "Result1.png", "Is a directory."));
    EXPECT_EQ(refusal(dir.path() / "missing" / "a.png"),
              saveFailureOf(dir.path() / "missing" / "a.png", "No such file or directory."));
    EXPECT_EQ(refusal(file / "a.png"), saveFailureOf(file / "a.png", "Not a directory."));
    for (const std::string name : {"picture.jpg", "picture", "picture.png.txt", "png"}) {
        EXPECT_EQ(refusal(dir.path() / name), saveFailureOf(dir.path() / name, noFormat)) << name;
    }
    // The extension is judged first: it is wrong wherever the picture goes.
    EXPECT_EQ(refusal(dir.path() / "missing" / "a.tif"), saveFailureOf(dir.path() / "missing" / "a.tif", noFormat));
}

TEST(ImagePathCheck, AFolderThatTakesNoNewFilesIsRefused)
{
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root";
    }
    const TempDir dir;
    const auto folder = dir.path() / "read-only";
    std::filesystem::create_directory(folder);
    chmod(folder.c_str(), 0555);
    const std::string message = refusal(folder / "a.png");
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(message, saveFailureOf(folder / "a.png", "Permission denied."));
}

}  // namespace
