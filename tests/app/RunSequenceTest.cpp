#include "tests/app/BoxModel.h"
#include "tests/app/JobFolder.h"
#include "tests/app/LumoraPrograms.h"
#include "tests/support/PngReader.h"
#include "tests/support/SettingsFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::Matcher;

// The default camera at the open side of the room, looking in at the box, with a 16 x 12
// picture.
SettingsValues smallPicture()
{
    SettingsValues values;
    values.width = "16";
    values.height = "12";
    return values;
}

class RunSequenceTest : public testing::TestWithParam<LumoraProgram> {
protected:
    RunSequenceTest()
    {
        m_folder.writeModel(boxModelFile());
        m_folder.writeSettings(settingsXml(smallPicture()));
    }

    ProgramResult run(ProgramOptions options = {}) const { return m_folder.run(GetParam().path, std::move(options)); }

    std::vector<Matcher<std::string>> successLines() const
    {
        return completeRunLines(modelCountLines(1, 1, 0), GetParam().banner);
    }

    // Runs the program and expects a failure reported by the given line after the box model's
    // counts, with nothing else left behind.
    void expectSettingsFailure(const Matcher<std::string>& errorLine) const
    {
        const ProgramResult result = run();
        EXPECT_THAT(outputLines(result.output), ElementsAreArray(failedRunLines(modelCountLines(1, 1, 0), errorLine)));
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.errorOutput, "");
        EXPECT_FALSE(std::filesystem::exists(m_folder.imagePath()));
    }

    std::set<std::string> folderEntries() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder.path())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    JobFolder m_folder;
};

TEST_P(RunSequenceTest, CompleteRunSavesThePictureAndReportsSuccess)
{
    const ProgramResult result = run();
    EXPECT_THAT(outputLines(result.output), ElementsAreArray(successLines()));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.errorOutput, "");

    const DecodedPng picture = readPng(m_folder.imagePath());
    EXPECT_EQ(picture.width, 16u);
    EXPECT_EQ(picture.height, 12u);
    EXPECT_EQ(picture.bitDepth, 8);
    EXPECT_EQ(picture.colorType, 2);
    // The corners look at the red left wall and the green right wall: the picture is not
    // mirrored.
    EXPECT_THAT(std::vector<int>(picture.pixel(0, 0), picture.pixel(0, 0) + 3), ElementsAre(255, 0, 0));
    EXPECT_THAT(std::vector<int>(picture.pixel(15, 0), picture.pixel(15, 0) + 3), ElementsAre(0, 255, 0));
    EXPECT_EQ(folderEntries(), (std::set<std::string>{"Result1.png", "data", "scene_settings.xml"}));
}

TEST_P(RunSequenceTest, WaitsForOneKeyAfterTheLastLine)
{
    ProgramOptions options;
    options.workingDirectory = m_folder.path();
    options.inputFromPipe = true;
    ProgramProcess process(GetParam().path, options);
    ASSERT_TRUE(process.waitForOutput("Press any key to continue.\n"));
    // The program has printed everything and now blocks on its input, which stays open.
    EXPECT_FALSE(process.hasExited());
    process.writeInput("x");
    const ProgramResult result = process.finish();
    EXPECT_THAT(outputLines(result.output), ElementsAreArray(successLines()));
    EXPECT_EQ(result.exitCode, 0);
}

TEST_P(RunSequenceTest, MissingSettingsFileShowsThePathTwice)
{
    std::filesystem::remove(m_folder.settingsPath());
    expectSettingsFailure("Error. Can not load file \"scene_settings.xml\". tinyxml2 error: \"scene_settings.xml\".");
}

TEST_P(RunSequenceTest, MalformedSettingsFileReportsTheParserDetail)
{
    m_folder.writeSettings("<settings><m_pos value_x=\"0\" value_y=\"0\" value_z=\"40\"></settings>");
    expectSettingsFailure(
        testing::MatchesRegex("Error\\. Can not load file \"scene_settings\\.xml\"\\. tinyxml2 error: \".+\"\\."));
}

TEST_P(RunSequenceTest, UnreadableParameterIsNamedWithItsComponent)
{
    struct Case {
        std::function<void(SettingsValues&)> spoil;
        std::string parameter;
    };
    const std::vector<Case> cases{
        {[](SettingsValues& v) { v.posX = ""; }, "m_pos.x"},
        {[](SettingsValues& v) { v.forwardY = "abc"; }, "m_forward.y"},
        {[](SettingsValues& v) { v.posZ = ""; }, "m_pos.z"},
        {[](SettingsValues& v) { v.angleY = "wide"; }, "m_viewAngle.y"},
        {[](SettingsValues& v) { v.width = "-"; }, "m_resolution.x"},
        {[](SettingsValues& v) { v.maxDepth = "abc"; }, "max_depth_.x"},
        {[](SettingsValues& v) { v.minEnergy = ""; }, "min_energy_.x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.parameter);
        SettingsValues values = smallPicture();
        c.spoil(values);
        m_folder.writeSettings(settingsXml(values));
        expectSettingsFailure("Error. Error in reading xml file. Can not read parameter \"" + c.parameter + "\".");
    }
}

TEST_P(RunSequenceTest, MissingParameterElementIsReportedByItsFirstComponent)
{
    std::string xml = settingsXml(smallPicture());
    const auto start = xml.find("  <max_depth_");
    ASSERT_NE(start, std::string::npos);
    xml.erase(start, xml.find('\n', start) + 1 - start);
    m_folder.writeSettings(xml);
    expectSettingsFailure("Error. Error in reading xml file. Can not read parameter \"max_depth_.x\".");
}

TEST_P(RunSequenceTest, ModelWithoutMeshIsRefusedBeforeRendering)
{
    const std::string noMesh = "Error. The model file \"data/CrystalModel/Crystal.3DS\" holds no mesh to render.";
    struct Case {
        std::string name;
        std::function<void()> prepare;
        std::uint32_t lights;
    };
    const std::vector<Case> cases{
        {"garbage bytes", [&] { m_folder.writeModel("this is not a 3DS model at all\x01\xff\x4d\x4d"); }, 0},
        {"a light but no mesh", [&] { m_folder.writeModel(lightOnlyModelFile()); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        const ProgramResult result = run();
        EXPECT_THAT(outputLines(result.output),
                    ElementsAreArray(failedRunLines(modelCountLines(0, c.lights, 0), noMesh)));
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_FALSE(std::filesystem::exists(m_folder.imagePath()));
    }
}

TEST_P(RunSequenceTest, FailedSaveIsAnErrorWithoutTimingLine)
{
    // A read-only folder would not stop a program run by root; a folder in the picture's place
    // stops any writer.
    std::filesystem::create_directory(m_folder.imagePath());
    const ProgramResult result = run();
    EXPECT_THAT(outputLines(result.output),
                ElementsAreArray(failedRunLines(modelCountLines(1, 1, 0),
                                                "Error. Can not save image \"Result1.png\". Is a directory.")));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(std::filesystem::is_directory(m_folder.imagePath()));
    EXPECT_TRUE(std::filesystem::is_empty(m_folder.imagePath()));
    EXPECT_EQ(folderEntries(), (std::set<std::string>{"Result1.png", "data", "scene_settings.xml"}));
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, RunSequenceTest, testing::ValuesIn(lumoraPrograms()), programTestName);

}  // namespace
