#include "tests/app/LumoraPrograms.h"
#include "tests/app/ProgramProcess.h"
#include "tests/support/PngReader.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

using testing::ElementsAreArray;

// Every file below the folder, by its path relative to it.
std::set<std::string> filesBelow(const std::filesystem::path& folder)
{
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_directory()) {
            files.insert(std::filesystem::relative(entry.path(), folder).string());
        }
    }
    return files;
}

ProgramResult runTool(const std::filesystem::path& tool, const std::vector<std::string>& arguments,
                      const std::filesystem::path& folder)
{
    ProgramOptions options;
    options.workingDirectory = folder;
    options.arguments = arguments;
    return runProgram(tool, options);
}

TEST(InstallTest, InstalledProgramsRenderWithTheInstalledData)
{
    const TempDir prefix;
    const ProgramResult install = runTool(
        LUMORA_CMAKE_COMMAND, {"--install", LUMORA_BINARY_DIR, "--prefix", prefix.path().string()}, prefix.path());
    ASSERT_EQ(install.exitCode, 0) << install.output << install.errorOutput;
    // The programs and their data; no tests, tools or benchmarks.
    EXPECT_EQ(filesBelow(prefix.path()),
              (std::set<std::string>{"bin/lumora", "bin/lumora_serial", "share/lumora/README.md",
                                     "share/lumora/scene_settings.xml", "share/lumora/data/CrystalModel/Crystal.3DS"}));
    const std::filesystem::path data = prefix.path() / "share" / "lumora";
    EXPECT_EQ(readFileBytes(data / "scene_settings.xml"), readFileBytes(sourceDir() / "scene_settings.xml"));
    EXPECT_EQ(readFileBytes(data / "data/CrystalModel/Crystal.3DS"),
              readFileBytes(sourceDir() / "data/CrystalModel/Crystal.3DS"));

    for (const LumoraProgram& program : lumoraPrograms()) {
        SCOPED_TRACE(program.name);
        const TempDir work;
        const ProgramResult result =
            runTool(prefix.path() / "bin" / program.name,
                    {"--model", (data / "data/CrystalModel/Crystal.3DS").string(), "--settings",
                     (data / "scene_settings.xml").string(), "--output", "crystal.png", "--resolution", "8x6"},
                    work.path());
        EXPECT_THAT(outputLines(result.output),
                    ElementsAreArray(completeRunLines(modelCountLines(2, 2, 3), program.banner)));
        EXPECT_EQ(result.exitCode, 0);
        const DecodedPng picture = readPng(work.path() / "crystal.png");
        EXPECT_EQ(picture.width, 8u);
        EXPECT_EQ(picture.height, 6u);
    }
}

TEST(InstallTest, DebianPackageHoldsTheSameFilesAndNamesItsRuntimeLibraries)
{
    if (!std::filesystem::exists("/usr/bin/dpkg-deb")) {
        GTEST_SKIP() << "dpkg-deb is not installed";
    }
    // cpack first runs the build's preinstall step, which in a built tree has nothing to do.
    const TempDir folder;
    const ProgramResult pack = runTool(
        LUMORA_CPACK_COMMAND,
        {"-G", "DEB", "--config", std::string(LUMORA_BINARY_DIR) + "/CPackConfig.cmake", "-B", folder.path().string()},
        folder.path());
    ASSERT_EQ(pack.exitCode, 0) << pack.output << pack.errorOutput;
    std::filesystem::path package;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        if (entry.path().extension() == ".deb") {
            package = entry.path();
        }
    }
    ASSERT_FALSE(package.empty()) << pack.output;

    const ProgramResult depends = runTool("/usr/bin/dpkg-deb", {"--field", package.string(), "Depends"}, folder.path());
    for (const char* library : {"libtinyxml2-9", "libpng16-16", "libgomp1", "libstdc++6", "libc6"}) {
        EXPECT_THAT(depends.output, testing::HasSubstr(library));
    }
    const ProgramResult contents = runTool("/usr/bin/dpkg-deb", {"--contents", package.string()}, folder.path());
    for (const char* file :
         {"./usr/bin/lumora\n", "./usr/bin/lumora_serial\n", "./usr/share/lumora/README.md\n",
          "./usr/share/lumora/scene_settings.xml\n", "./usr/share/lumora/data/CrystalModel/Crystal.3DS\n"}) {
        EXPECT_THAT(contents.output, testing::HasSubstr(file));
    }
}

}  // namespace
