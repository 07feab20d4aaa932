#include "tests/app/BoxModel.h"
#include "tests/app/JobFolder.h"
#include "tests/app/LumoraPrograms.h"
#include "tests/support/PngReader.h"
#include "tests/support/SettingsFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using testing::ElementsAreArray;
using testing::Matcher;

class ProgramOptionsTest : public testing::TestWithParam<LumoraProgram> {
protected:
    ProgramOptionsTest()
    {
        m_folder.writeModel(boxModelFile());
        m_folder.writeSettings(settingsXml(smallPicture()));
    }

    // The default camera with a 16 x 12 picture.
    static SettingsValues smallPicture()
    {
        SettingsValues values;
        values.width = "16";
        values.height = "12";
        return values;
    }

    const std::string& name() const { return GetParam().name; }

    // Runs the program with its standard input open but never written, and expects it to end
    // by itself: a run that waited for a key would have to be stopped.
    ProgramResult runWithoutKey(const std::vector<std::string>& arguments) const
    {
        ProgramOptions options;
        options.workingDirectory = m_folder.path();
        options.arguments = arguments;
        options.inputFromPipe = true;
        ProgramProcess process(GetParam().path, options);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        while (!process.hasExited() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(process.hasExited()) << "still waiting for input";
        return process.finish();
    }

    ProgramResult run(const std::vector<std::string>& arguments) const
    {
        ProgramOptions options;
        options.arguments = arguments;
        return m_folder.run(GetParam().path, options);
    }

    // Every file below the folder, by its path relative to it.
    std::set<std::string> folderFiles() const
    {
        std::set<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_folder.path())) {
            if (!entry.is_directory()) {
                files.insert(std::filesystem::relative(entry.path(), m_folder.path()).string());
            }
        }
        return files;
    }

    std::vector<Matcher<std::string>> successLines() const
    {
        return completeRunLines(modelCountLines(1, 1, 0), GetParam().banner);
    }

    const std::set<std::string> m_defaultFiles{"data/CrystalModel/Crystal.3DS", "scene_settings.xml"};
    JobFolder m_folder;
};

TEST_P(ProgramOptionsTest, HelpShowsTheUsageAndRendersNothing)
{
    const ProgramResult help = runWithoutKey({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.errorOutput, "");
    EXPECT_THAT(help.output, testing::StartsWith("Usage: " + name() + " [options]\n\n"));
    EXPECT_THAT(help.output, testing::EndsWith("\n"));
    for (const char* text :
         {"--model PATH", "--settings PATH", "--output PATH", "--resolution WxH", "--no-wait", "--quiet", "-h, --help",
          "--version", "data/CrystalModel/Crystal.3DS", "scene_settings.xml", "Result1.png"}) {
        EXPECT_THAT(help.output, testing::HasSubstr(text));
    }
    // No model counts: nothing was read.
    EXPECT_THAT(help.output, testing::Not(testing::HasSubstr("Number of")));
    EXPECT_EQ(folderFiles(), m_defaultFiles);

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"-h"}, {"--version", "--help"}, {"--quiet", "--model=none.3DS", "-h"}}) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        const ProgramResult same = runWithoutKey(arguments);
        EXPECT_EQ(same.exitCode, 0);
        EXPECT_EQ(same.output, help.output);
        EXPECT_EQ(same.errorOutput, "");
    }
    EXPECT_EQ(folderFiles(), m_defaultFiles);
}

TEST_P(ProgramOptionsTest, VersionShowsTheNameAndTheProjectVersion)
{
    const ProgramResult result = runWithoutKey({"--version"});
    EXPECT_EQ(result.output, name() + " " + LUMORA_VERSION + "\n");
    EXPECT_EQ(result.errorOutput, "");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(folderFiles(), m_defaultFiles);
}

TEST_P(ProgramOptionsTest, UsageErrorsExitWithTwoAndTouchNothing)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--fast"}, "unknown option \"--fast\""},
        {{"-o", "picture.png"}, "unknown option \"-o\""},
        {{"scene_settings.xml"}, "unexpected argument \"scene_settings.xml\""},
        {{"--output", "a.png", "b.png"}, "unexpected argument \"b.png\""},
        {{"--model"}, "option \"--model\" needs a value"},
        {{"--settings", "--quiet"}, "option \"--settings\" needs a value"},
        {{"--output="}, "option \"--output\" needs a value"},
        {{"--resolution"}, "option \"--resolution\" needs a value"},
        {{"--no-wait=yes"}, "option \"--no-wait\" takes no value"},
        {{"--quiet", "--quiet"}, "option \"--quiet\" is given more than once"},
        {{"--output=a.png", "--output", "a.png"}, "option \"--output\" is given more than once"},
        {{"--resolution", "64*48"},
         "option \"--resolution\" needs WIDTHxHEIGHT in pixels, such as 320x240, not \"64*48\""},
        {{"--help", "--fast"}, "unknown option \"--fast\""},
    };
    for (const auto& [arguments, problem] : cases) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        const ProgramResult result = runWithoutKey(arguments);
        EXPECT_EQ(result.errorOutput,
                  name() + ": " + problem + ". Run \"" + name() + " --help\" to see the options.\n");
        // Not even the model counts: nothing was read.
        EXPECT_EQ(result.output, "");
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(folderFiles(), m_defaultFiles);
    }
}

TEST_P(ProgramOptionsTest, NamedFilesReplaceTheDefaults)
{
    const JobFolder elsewhere;
    elsewhere.writeModel(boxModelFile());
    SettingsValues values = smallPicture();
    values.width = "7";
    values.height = "5";
    const std::filesystem::path settings = elsewhere.path() / "in" / "small.xml";
    std::filesystem::create_directories(settings.parent_path());
    elsewhere.writeSettings(settingsXml(values));
    std::filesystem::rename(elsewhere.settingsPath(), settings);
    std::filesystem::create_directories(m_folder.path() / "out");

    const std::vector<std::vector<std::string>> forms{
        {"--model", elsewhere.modelPath().string(), "--settings", settings.string(), "--output", "out/a.png"},
        {"--output=out/a.png", "--settings=" + settings.string(), "--model=" + elsewhere.modelPath().string()},
    };
    for (const auto& arguments : forms) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        std::filesystem::remove(m_folder.path() / "out" / "a.png");
        const ProgramResult result = run(arguments);
        EXPECT_THAT(outputLines(result.output), ElementsAreArray(successLines()));
        EXPECT_EQ(result.errorOutput, "");
        EXPECT_EQ(result.exitCode, 0);
        const DecodedPng picture = readPng(m_folder.path() / "out" / "a.png");
        EXPECT_EQ(picture.width, 7u);
        EXPECT_EQ(picture.height, 5u);
        std::set<std::string> expected = m_defaultFiles;
        expected.insert("out/a.png");
        EXPECT_EQ(folderFiles(), expected);
    }
}

TEST_P(ProgramOptionsTest, OutputExtensionChoosesTheEncoder)
{
    const ProgramResult result = run({"--output", "picture.BMP"});
    EXPECT_THAT(outputLines(result.output), ElementsAreArray(successLines()));
    EXPECT_EQ(result.exitCode, 0);
    const std::string bytes = readFileBytes(m_folder.path() / "picture.BMP");
    // The file header, then the 16 x 12 picture in rows of 48 bytes.
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(bytes.size(), 54u + 48u * 12u);
}

TEST_P(ProgramOptionsTest, MessagesNameThePathsGiven)
{
    const ProgramResult noSettings = run({"--settings", "in/none.xml"});
    EXPECT_THAT(
        outputLines(noSettings.output),
        ElementsAreArray(failedRunLines(modelCountLines(1, 1, 0),
                                        "Error. Can not load file \"in/none.xml\". tinyxml2 error: \"in/none.xml\".")));
    EXPECT_EQ(noSettings.exitCode, 1);

    m_folder.writeModel(lightOnlyModelFile());
    std::filesystem::rename(m_folder.modelPath(), m_folder.path() / "lamp.3DS");
    const ProgramResult noMesh = run({"--model=lamp.3DS"});
    EXPECT_THAT(outputLines(noMesh.output),
                ElementsAreArray(failedRunLines(modelCountLines(0, 1, 0),
                                                "Error. The model file \"lamp.3DS\" holds no mesh to render.")));
    EXPECT_EQ(noMesh.exitCode, 1);

    m_folder.writeModel(boxModelFile());
    const ProgramResult noFolder = run({"--output", "missing/a.png"});
    EXPECT_THAT(
        outputLines(noFolder.output),
        ElementsAreArray(failedRunLines(modelCountLines(1, 1, 0),
                                        "Error. Can not save image \"missing/a.png\". No such file or directory.")));
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_EQ(folderFiles(),
              (std::set<std::string>{"data/CrystalModel/Crystal.3DS", "lamp.3DS", "scene_settings.xml"}));
}

TEST_P(ProgramOptionsTest, ResolutionReplacesTheSettingsValueAndIsCheckedLikeIt)
{
    const ProgramResult small = run({"--resolution", "5x3"});
    EXPECT_THAT(outputLines(small.output), ElementsAreArray(successLines()));
    EXPECT_EQ(small.exitCode, 0);
    const DecodedPng picture = readPng(m_folder.imagePath());
    EXPECT_EQ(picture.width, 5u);
    EXPECT_EQ(picture.height, 3u);
    std::filesystem::remove(m_folder.imagePath());

    const ProgramResult huge = run({"--resolution=65536x65536"});
    EXPECT_THAT(outputLines(huge.output),
                ElementsAreArray(failedRunLines(modelCountLines(1, 1, 0),
                                                "Error. Error in reading xml file. Parameter \"m_resolution\" asks "
                                                "for 65536 x 65536 pixels; at most 4294967295 fit in one picture.")));
    EXPECT_EQ(huge.exitCode, 1);
    EXPECT_EQ(folderFiles(), m_defaultFiles);
}

TEST_P(ProgramOptionsTest, NoWaitEndsWithTheSameOutputAfterSuccessAndFailure)
{
    const ProgramResult success = runWithoutKey({"--no-wait"});
    EXPECT_THAT(outputLines(success.output), ElementsAreArray(successLines()));
    EXPECT_EQ(success.exitCode, 0);
    EXPECT_EQ(success.errorOutput, "");
    EXPECT_EQ(readPng(m_folder.imagePath()).width, 16u);

    const std::vector<Matcher<std::string>> failure = failedRunLines(
        modelCountLines(1, 1, 0), "Error. Can not load file \"none.xml\". tinyxml2 error: \"none.xml\".");
    const ProgramResult failed = runWithoutKey({"--settings=none.xml", "--no-wait"});
    EXPECT_THAT(outputLines(failed.output), ElementsAreArray(failure));
    EXPECT_EQ(failed.exitCode, 1);
}

TEST_P(ProgramOptionsTest, QuietChangesNothingOffATerminal)
{
    const ProgramResult result = run({"--quiet"});
    EXPECT_THAT(outputLines(result.output), ElementsAreArray(successLines()));
    EXPECT_EQ(result.errorOutput, "");
    EXPECT_EQ(result.exitCode, 0);
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, ProgramOptionsTest, testing::ValuesIn(lumoraPrograms()), programTestName);

}  // namespace
