#include "tests/app/BoxModel.h"
#include "tests/app/JobFolder.h"
#include "tests/app/LumoraPrograms.h"
#include "tests/support/PngReader.h"
#include "tests/support/SettingsFile.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using testing::ElementsAreArray;

const LumoraProgram& parallelProgram() { return lumoraPrograms().at(0); }
const LumoraProgram& serialProgram() { return lumoraPrograms().at(1); }

// The shipped settings file with its picture size replaced.
std::string shippedSettingsWithResolution(std::uint32_t width, std::uint32_t height)
{
    tinyxml2::XMLDocument document;
    const std::string path = (sourceDir() / "scene_settings.xml").string();
    if (document.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS || document.FirstChildElement() == nullptr) {
        throw std::runtime_error("cannot read " + path);
    }
    tinyxml2::XMLElement* resolution = document.FirstChildElement()->FirstChildElement("m_resolution");
    if (resolution == nullptr) {
        throw std::runtime_error("no m_resolution in " + path);
    }
    resolution->SetAttribute("value_x", width);
    resolution->SetAttribute("value_y", height);
    tinyxml2::XMLPrinter printer;
    document.Print(&printer);
    return printer.CStr();
}

std::string shippedModel() { return readFileBytes(sourceDir() / "data" / "CrystalModel" / "Crystal.3DS"); }

// "" when the pictures are equal, else where they first differ.
std::string pictureDifference(const DecodedPng& expected, const DecodedPng& actual)
{
    if (expected.width != actual.width || expected.height != actual.height) {
        return "size " + std::to_string(actual.width) + " x " + std::to_string(actual.height);
    }
    std::size_t differing = 0;
    std::string first;
    for (std::uint32_t y = 0; y < expected.height; ++y) {
        for (std::uint32_t x = 0; x < expected.width; ++x) {
            if (!std::equal(expected.pixel(x, y), expected.pixel(x, y) + 3, actual.pixel(x, y))) {
                if (differing++ == 0) {
                    first = " first at column " + std::to_string(x) + ", row " + std::to_string(y);
                }
            }
        }
    }
    return differing == 0 ? "" : std::to_string(differing) + " pixels differ," + first;
}

std::size_t distinctColours(const DecodedPng& picture)
{
    std::set<std::tuple<int, int, int>> colours;
    for (std::size_t i = 0; i + 2 < picture.rgb.size(); i += 3) {
        colours.emplace(picture.rgb[i], picture.rgb[i + 1], picture.rgb[i + 2]);
    }
    return colours.size();
}

// A picture kept beside these tests. Each was rendered by lumora_serial and matched pixel for
// pixel by a separate tracer written for the purpose from the same rules, so that a change in
// the arithmetic of either program shows here even when both programs change alike.
DecodedPng referencePicture(const std::string& name)
{
    return readPng(sourceDir() / "tests" / "app" / "reference" / name);
}

// Renders with lumora_serial and expects the reference picture, then with lumora on teams of
// 1, 2, 3 and 7 threads (uneven blocks of columns, and more threads than the machine has
// cores), and expects the same pixels every time.
void expectPictureFromEveryRenderLoop(const JobFolder& folder, const DecodedPng& reference)
{
    // The room alone shows at most five colours (its four surface colours and black); more
    // means that the model, with its recursion, is in the picture.
    ASSERT_GE(distinctColours(reference), 8u);
    const ProgramResult serial = folder.run(serialProgram().path);
    ASSERT_EQ(serial.exitCode, 0) << serial.output << serial.errorOutput;
    EXPECT_EQ(pictureDifference(reference, readPng(folder.imagePath())), "");
    for (const char* threads : {"1", "2", "3", "7"}) {
        SCOPED_TRACE(std::string("OMP_NUM_THREADS=") + threads);
        std::filesystem::remove(folder.imagePath());
        ProgramOptions options;
        options.environment = {{"OMP_NUM_THREADS", threads}};
        const ProgramResult parallel = folder.run(parallelProgram().path, options);
        ASSERT_EQ(parallel.exitCode, 0) << parallel.output << parallel.errorOutput;
        EXPECT_EQ(pictureDifference(reference, readPng(folder.imagePath())), "");
    }
}

TEST(RenderProgramsTest, ShippedSceneGivesTheReferencePixelsFromBothPrograms)
{
    const JobFolder folder;
    folder.writeModel(shippedModel());
    folder.writeSettings(shippedSettingsWithResolution(64, 48));
    expectPictureFromEveryRenderLoop(folder, referencePicture("shipped-scene-64x48.png"));
}

TEST(RenderProgramsTest, VariedCamerasAndLimitsGiveTheReferencePixelsFromBothPrograms)
{
    SettingsValues lowInTheCorner;
    lowInTheCorner.posX = "-25";
    lowInTheCorner.posY = "-30";
    lowInTheCorner.posZ = "35";
    lowInTheCorner.forwardX = "0.6";
    lowInTheCorner.forwardY = "0.1";
    lowInTheCorner.forwardZ = "-1";
    lowInTheCorner.angleX = "1.1";
    lowInTheCorner.angleY = "0.8";
    lowInTheCorner.width = "21";
    lowInTheCorner.height = "15";
    lowInTheCorner.maxDepth = "6";
    lowInTheCorner.minEnergy = "1e-5";

    SettingsValues closeAndShallow;
    closeAndShallow.posY = "-20";
    closeAndShallow.posZ = "30";
    closeAndShallow.forwardY = "-0.5";
    closeAndShallow.angleX = "0.9";
    closeAndShallow.angleY = "0.6";
    closeAndShallow.width = "19";
    closeAndShallow.height = "13";
    closeAndShallow.maxDepth = "2";
    closeAndShallow.minEnergy = "0";

    SettingsValues wideWithEnergyCut;
    wideWithEnergyCut.posX = "10";
    wideWithEnergyCut.posY = "5";
    wideWithEnergyCut.forwardX = "-0.2";
    wideWithEnergyCut.forwardY = "-0.4";
    wideWithEnergyCut.angleX = "2.2";
    wideWithEnergyCut.angleY = "1.6";
    wideWithEnergyCut.width = "17";
    wideWithEnergyCut.height = "11";
    wideWithEnergyCut.maxDepth = "10";
    wideWithEnergyCut.minEnergy = "0.0001";

    const JobFolder folder;
    folder.writeModel(shippedModel());
    const std::pair<SettingsValues, const char*> cases[] = {
        {lowInTheCorner, "low-in-the-corner-21x15.png"},
        {closeAndShallow, "close-and-shallow-19x13.png"},
        {wideWithEnergyCut, "wide-with-energy-cut-17x11.png"},
    };
    for (const auto& [values, reference] : cases) {
        SCOPED_TRACE(settingsXml(values));
        folder.writeSettings(settingsXml(values));
        expectPictureFromEveryRenderLoop(folder, referencePicture(reference));
    }
}

class RenderDepthLimitTest : public testing::TestWithParam<LumoraProgram> {};

// The last number in the text, or -1 when it holds none.
std::int64_t lastNumber(const std::string& text)
{
    std::int64_t number = -1;
    const std::regex digits("[0-9]+");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), digits); it != std::sregex_iterator(); ++it) {
        number = std::stoll(it->str());
    }
    return number;
}

TEST_P(RenderDepthLimitTest, DeepestAcceptedDepthIsRenderedWithRaysTrappedInsideTheModel)
{
    const JobFolder folder;
    folder.writeModel(boxModelFile());
    const auto refusal = failedRunLines(modelCountLines(1, 1, 0), testing::MatchesRegex("Error\\. .*\"max_depth_\".*"));

    // The camera sits inside the box (world y from -36 to -20, as the scene places the model
    // 40 below the origin) and looks along a diagonal: every ray meets every side at about 55 degrees, beyond the angle
    // of total reflection, so it bounces inside until the depth limit ends it.
    SettingsValues trapped;
    trapped.posX = "1.25";
    trapped.posY = "-27.5";
    trapped.posZ = "0.75";
    trapped.forwardX = "1";
    trapped.forwardY = "1";
    trapped.forwardZ = "-1";
    trapped.angleX = "0.2";
    trapped.angleY = "0.2";
    trapped.width = "2";
    trapped.height = "2";
    trapped.minEnergy = "0";

    // The limit must be the same on every run, or a settings file accepted once could be
    // refused the next time: each check below is a fresh process.
    const ProgramOptions runOptions;

    trapped.maxDepth = "4294967295";
    folder.writeSettings(settingsXml(trapped));
    const ProgramResult tooDeep = folder.run(GetParam().path, runOptions);
    EXPECT_THAT(outputLines(tooDeep.output), ElementsAreArray(refusal));
    EXPECT_EQ(tooDeep.exitCode, 1);
    const std::vector<std::string> lines = outputLines(tooDeep.output);
    ASSERT_EQ(lines.size(), 5u);
    const std::int64_t limit = lastNumber(lines[3]);
    ASSERT_GT(limit, 0) << lines[3];
    ASSERT_LT(limit, 4294967295);

    trapped.maxDepth = std::to_string(limit + 1);
    folder.writeSettings(settingsXml(trapped));
    const ProgramResult justTooDeep = folder.run(GetParam().path, runOptions);
    EXPECT_THAT(outputLines(justTooDeep.output), ElementsAreArray(refusal));
    EXPECT_EQ(justTooDeep.exitCode, 1);

    trapped.maxDepth = std::to_string(limit);
    folder.writeSettings(settingsXml(trapped));
    const ProgramResult atLimit = folder.run(GetParam().path, runOptions);
    EXPECT_THAT(outputLines(atLimit.output),
                ElementsAreArray(completeRunLines(modelCountLines(1, 1, 0), GetParam().banner)))
        << atLimit.errorOutput;
    EXPECT_EQ(atLimit.exitCode, 0);
    // Black everywhere: no ray left the box, so every one of them recursed to the limit.
    EXPECT_EQ(readPng(folder.imagePath()).rgb, std::vector<std::uint8_t>(2 * 2 * 3, 0));
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, RenderDepthLimitTest, testing::ValuesIn(lumoraPrograms()), programTestName);

}  // namespace
