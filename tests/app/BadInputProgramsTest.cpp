#include "settings/SettingsChecks.h"
#include "tests/app/BoxModel.h"
#include "tests/app/JobFolder.h"
#include "tests/app/LumoraPrograms.h"
#include "tests/support/PngReader.h"
#include "tests/support/SettingsFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using testing::ElementsAreArray;

const std::string modelFile = "data/CrystalModel/Crystal.3DS";

// One broken input: how it is made from a job folder that holds the box model and the settings
// of a 16 x 12 picture, the counts the model gives and the one error line that must follow.
struct BadInput {
    std::string name;
    std::function<void(const JobFolder&, SettingsValues&)> spoil;
    std::vector<std::string> countLines;
    std::string errorLine;
    // Rows that only a test run without root's rights, or with little memory, can show.
    std::function<bool()> applies = [] { return true; };
    // The settings file's text, made from the (spoiled) values.
    std::function<std::string(const SettingsValues&)> settingsText = settingsXml;
};

std::function<void(const JobFolder&, SettingsValues&)> settings(std::function<void(SettingsValues&)> change)
{
    return [change](const JobFolder&, SettingsValues& values) { change(values); };
}

SettingsValues smallPictureValues()
{
    SettingsValues values;
    values.width = "16";
    values.height = "12";
    return values;
}

// A row whose settings file holds the given text, whatever the values.
BadInput settingsFileHolding(std::string name, std::string text, std::string errorLine)
{
    BadInput row{std::move(name), [](const JobFolder&, SettingsValues&) {}, modelCountLines(1, 1, 0),
                 std::move(errorLine)};
    row.settingsText = [text](const SettingsValues&) { return text; };
    return row;
}

std::string parameterLine(const std::string& text) { return "Error. Error in reading xml file. Parameter " + text; }

std::string angleLine(const std::string& component, const std::string& value)
{
    return parameterLine("\"m_viewAngle" + component + "\" is " + value +
                         "; a view angle must be more than 0 and less than pi (3.14159265) radians.");
}

std::string zeroResolutionLine(const std::string& size)
{
    return parameterLine("\"m_resolution\" asks for " + size + " pixels; a picture needs at least 1 x 1.");
}

const std::vector<BadInput>& badInputs()
{
    const std::vector<std::string> box = modelCountLines(1, 1, 0);
    const std::vector<std::string> nothing = modelCountLines(0, 0, 0);
    const std::string forwardZero =
        parameterLine("\"m_forward\" gives no direction to look in: it must be finite and not zero.");
    const std::string forwardVertical =
        parameterLine("\"m_forward\" looks straight up or down; the view needs a horizontal component.");
    static const std::vector<BadInput> rows{
        {"missing model", [](const JobFolder& f, SettingsValues&) { std::filesystem::remove(f.modelPath()); }, nothing,
         "Error. Can not read the model file \"" + modelFile + "\": No such file or directory."},
        {"folder in the model's place",
         [](const JobFolder& f, SettingsValues&) {
             std::filesystem::remove(f.modelPath());
             std::filesystem::create_directory(f.modelPath());
         },
         nothing, "Error. Can not read the model file \"" + modelFile + "\": Is a directory."},
        {"unreadable model", [](const JobFolder& f, SettingsValues&) { chmod(f.modelPath().c_str(), 0); }, nothing,
         "Error. Can not read the model file \"" + modelFile + "\": Permission denied.", [] { return geteuid() != 0; }},
        {"empty model", [](const JobFolder& f, SettingsValues&) { f.writeModel(""); }, nothing,
         "Error. The model file \"" + modelFile + "\" is empty."},
        {"model without a mesh", [](const JobFolder& f, SettingsValues&) { f.writeModel(lightOnlyModelFile()); },
         modelCountLines(0, 1, 0), "Error. The model file \"" + modelFile + "\" holds no mesh to render."},
        {"resolution 0 x 0", settings([](SettingsValues& v) { v.width = v.height = "0"; }), box,
         zeroResolutionLine("0 x 0")},
        {"resolution 0 x 48", settings([](SettingsValues& v) { v.width = "0", v.height = "48"; }), box,
         zeroResolutionLine("0 x 48")},
        {"resolution 48 x 0", settings([](SettingsValues& v) { v.width = "48", v.height = "0"; }), box,
         zeroResolutionLine("48 x 0")},
        {"resolution beyond memory", settings([](SettingsValues& v) { v.width = v.height = "60000"; }), box,
         parameterLine("\"m_resolution\" asks for 60000 x 60000 pixels; their framebuffer and 24-bit picture "
                       "need 50.3 GiB, more than this machine can give."),
         [] {
             return memoryThisMachineCanGive() < renderMemoryNeed({60000, 60000});
         }},
        {"folder in the picture's place",
         [](const JobFolder& f, SettingsValues&) { std::filesystem::create_directory(f.imagePath()); }, box,
         "Error. Can not save image \"Result1.png\". Is a directory."},
        {"zero view direction", settings([](SettingsValues& v) { v.forwardZ = "0"; }), box, forwardZero},
        {"view direction of infinite length", settings([](SettingsValues& v) { v.forwardX = "inf"; }), box,
         forwardZero},
        {"view straight up", settings([](SettingsValues& v) { v.forwardY = "2", v.forwardZ = "0"; }), box,
         forwardVertical},
        {"view straight down", settings([](SettingsValues& v) { v.forwardY = "-0.5", v.forwardZ = "0"; }), box,
         forwardVertical},
        {"horizontal view angle 0", settings([](SettingsValues& v) { v.angleX = "0"; }), box, angleLine(".x", "0")},
        {"vertical view angle pi", settings([](SettingsValues& v) { v.angleY = "3.1415927"; }), box,
         angleLine(".y", "3.14159274")},
        {"view angle beyond pi", settings([](SettingsValues& v) { v.angleX = "4"; }), box, angleLine(".x", "4")},
        {"negative view angle", settings([](SettingsValues& v) { v.angleY = "-1"; }), box, angleLine(".y", "-1")},
        {"view angle not a number", settings([](SettingsValues& v) { v.angleX = "nan"; }), box, angleLine(".x", "nan")},
        {"infinite view angle", settings([](SettingsValues& v) { v.angleY = "inf"; }), box, angleLine(".y", "inf")},
        {"width of -1, which wraps", settings([](SettingsValues& v) { v.width = "-1"; }), box,
         parameterLine("\"m_resolution\" asks for 4294967295 x 12 pixels; at most 4294967295 fit in one picture.")},
        {"corrupted model", [](const JobFolder& f, SettingsValues&) { f.writeModel("not a 3DS file at all"); }, nothing,
         "Error. The model file \"" + modelFile + "\" holds no mesh to render."},
        {"truncated model", [](const JobFolder& f, SettingsValues&) { f.writeModel(boxModelFile().substr(0, 10)); },
         nothing, "Error. The model file \"" + modelFile + "\" holds no mesh to render."},
    };
    return rows;
}

// Every component of every parameter, missing and not a number: the first one read that fails
// is named, with ".x" for the one-value parameters.
std::vector<std::pair<std::string, std::string SettingsValues::*>> settingsComponents()
{
    return {{"m_pos.x", &SettingsValues::posX},          {"m_pos.y", &SettingsValues::posY},
            {"m_pos.z", &SettingsValues::posZ},          {"m_forward.x", &SettingsValues::forwardX},
            {"m_forward.y", &SettingsValues::forwardY},  {"m_forward.z", &SettingsValues::forwardZ},
            {"m_viewAngle.x", &SettingsValues::angleX},  {"m_viewAngle.y", &SettingsValues::angleY},
            {"m_resolution.x", &SettingsValues::width},  {"m_resolution.y", &SettingsValues::height},
            {"max_depth_.x", &SettingsValues::maxDepth}, {"min_energy_.x", &SettingsValues::minEnergy}};
}

std::vector<BadInput> unreadableFiles()
{
    const std::string settingsFile = "\"scene_settings.xml\"";
    const std::string notLoaded = "Error. Can not load file " + settingsFile + ". tinyxml2 error: ";
    const std::string noPosition = "Error. Error in reading xml file. Can not read parameter \"m_pos.x\".";
    const std::string complete = settingsXml(smallPictureValues());
    return {
        settingsFileHolding("empty settings file", "", notLoaded + settingsFile + "."),
        settingsFileHolding("settings file of blanks", " \n\t\n", notLoaded + settingsFile + "."),
        settingsFileHolding("settings cut off inside an element", complete.substr(0, complete.find("value_y")),
                            notLoaded + "\"Error=XML_ERROR_PARSING_ELEMENT ErrorID=6 (0x6) Line number=3: "
                                        "XMLElement name=m_pos\"."),
        settingsFileHolding("settings with an element left open", "<scene>\n<m_pos value_x=\"1\">\n</scene>\n",
                            notLoaded + "\"Error=XML_ERROR_MISMATCHED_ELEMENT ErrorID=14 (0xe) Line number=2: "
                                        "XMLElement name=m_pos\"."),
        settingsFileHolding("settings that are not XML", "max_depth_ = 5\n",
                            notLoaded + "\"Error=XML_ERROR_PARSING_TEXT ErrorID=8 (0x8) Line number=1\"."),
        settingsFileHolding("settings root without parameters", "<scene/>\n", noPosition),
        settingsFileHolding("settings without a root element", "<?xml version=\"1.0\"?>\n<!-- nothing -->\n",
                            noPosition),
    };
}

std::vector<BadInput> unreadableComponents()
{
    std::vector<BadInput> rows;
    for (const auto& entry : settingsComponents()) {
        // Named copies, not structured bindings: clang 14 cannot capture those in a lambda.
        const std::string name = entry.first;
        std::string SettingsValues::*const component = entry.second;
        const std::string line = "Error. Error in reading xml file. Can not read parameter \"" + name + "\".";
        for (const std::string& text : {std::string(), std::string("abc")}) {
            rows.push_back({name + (text.empty() ? " missing" : " not a number"),
                            settings([component, text](SettingsValues& v) { v.*component = text; }),
                            modelCountLines(1, 1, 0), line});
        }
    }
    // An unsigned value past 32 bits is not read as some smaller number.
    rows.push_back({"width past 32 bits", settings([](SettingsValues& v) { v.width = "4294967296"; }),
                    modelCountLines(1, 1, 0),
                    "Error. Error in reading xml file. Can not read parameter \"m_resolution.x\"."});
    return rows;
}

// Values at the edge of what makes a picture, each still the picture the user asked for.
const std::vector<std::pair<std::string, std::function<void(SettingsValues&)>>>& unusualButValidSettings()
{
    static const std::vector<std::pair<std::string, std::function<void(SettingsValues&)>>> rows{
        {"nearly vertical view", [](SettingsValues& v) { v.forwardX = "0.001", v.forwardY = "1", v.forwardZ = "0"; }},
        {"tiny view angles", [](SettingsValues& v) { v.angleX = "1e-6", v.angleY = "1e-30"; }},
        {"view angles just below pi", [](SettingsValues& v) { v.angleX = v.angleY = "3.1415925"; }},
        {"energy cut-off that blackens everything", [](SettingsValues& v) { v.minEnergy = "1e30"; }},
        {"no bounces", [](SettingsValues& v) { v.maxDepth = "0"; }},
        {"no energy cut-off", [](SettingsValues& v) { v.minEnergy = "0"; }},
        {"negative energy cut-off", [](SettingsValues& v) { v.minEnergy = "-1"; }},
        {"one pixel", [](SettingsValues& v) { v.width = v.height = "1"; }},
    };
    return rows;
}

std::set<std::string> entriesOf(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

class BadInputProgramsTest : public testing::TestWithParam<LumoraProgram> {};

TEST_P(BadInputProgramsTest, EachBrokenInputGetsItsOneLineAndExitCode1)
{
    std::vector<BadInput> rows = badInputs();
    for (const std::vector<BadInput>& more : {unreadableFiles(), unreadableComponents()}) {
        rows.insert(rows.end(), more.begin(), more.end());
    }
    for (const BadInput& row : rows) {
        SCOPED_TRACE(row.name);
        if (!row.applies()) {
            continue;
        }
        const JobFolder folder;
        folder.writeModel(boxModelFile());
        SettingsValues values = smallPictureValues();
        row.spoil(folder, values);
        folder.writeSettings(row.settingsText(values));
        const std::set<std::string> before = entriesOf(folder.path());

        const ProgramResult result = folder.run(GetParam().path);
        EXPECT_THAT(outputLines(result.output), ElementsAreArray(failedRunLines(row.countLines, row.errorLine)));
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.errorOutput, "");
        // Nothing written, no temporary file left behind.
        EXPECT_EQ(entriesOf(folder.path()), before);
        if (std::filesystem::is_directory(folder.imagePath())) {
            EXPECT_TRUE(std::filesystem::is_empty(folder.imagePath()));
        }
    }
}

TEST_P(BadInputProgramsTest, UnusualButValidSettingsStillMakeTheirPicture)
{
    for (const auto& [name, change] : unusualButValidSettings()) {
        SCOPED_TRACE(name);
        const JobFolder folder;
        folder.writeModel(boxModelFile());
        SettingsValues values = smallPictureValues();
        change(values);
        folder.writeSettings(settingsXml(values));

        const ProgramResult result = folder.run(GetParam().path);
        EXPECT_THAT(outputLines(result.output),
                    ElementsAreArray(completeRunLines(modelCountLines(1, 1, 0), GetParam().banner)));
        EXPECT_EQ(result.exitCode, 0);
        const DecodedPng picture = readPng(folder.imagePath());
        EXPECT_EQ(std::to_string(picture.width), values.width);
        EXPECT_EQ(std::to_string(picture.height), values.height);
    }
}

// A named pipe that nobody writes to, in the model's or the settings' place: opening it for
// reading as usual would wait for a writer for ever.
TEST_P(BadInputProgramsTest, NamedPipesAreRefusedWithoutWaiting)
{
    struct PipeCase {
        std::string name;
        std::filesystem::path (JobFolder::*path)() const;
        std::vector<std::string> countLines;
        std::string errorLine;
    };
    const PipeCase cases[] = {
        {"model", &JobFolder::modelPath, modelCountLines(0, 0, 0),
         "Error. The model file \"" + modelFile + "\" is not a regular file."},
        {"settings", &JobFolder::settingsPath, modelCountLines(1, 1, 0),
         "Error. Can not load file \"scene_settings.xml\". tinyxml2 error: \"scene_settings.xml\"."},
    };
    for (const PipeCase& pipe : cases) {
        SCOPED_TRACE(pipe.name);
        const JobFolder folder;
        folder.writeModel(boxModelFile());
        folder.writeSettings(settingsXml(smallPictureValues()));
        const std::filesystem::path path = (folder.*pipe.path)();
        std::filesystem::remove(path);
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);

        const ProgramResult result = folder.run(GetParam().path);
        EXPECT_THAT(outputLines(result.output), ElementsAreArray(failedRunLines(pipe.countLines, pipe.errorLine)));
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_FALSE(std::filesystem::exists(folder.imagePath()));
    }
}

// The loader drops faces that name vertices the mesh does not have and keeps the rest: the
// picture is the one of the box alone, and the counts are those of the file.
TEST_P(BadInputProgramsTest, FacesPastTheVerticesAreDroppedAndTheRestIsDrawn)
{
    const auto render = [](const std::string& model) {
        const JobFolder folder;
        folder.writeModel(model);
        folder.writeSettings(settingsXml(smallPictureValues()));
        const ProgramResult result = folder.run(GetParam().path);
        EXPECT_THAT(outputLines(result.output),
                    ElementsAreArray(completeRunLines(modelCountLines(1, 1, 0), GetParam().banner)));
        EXPECT_EQ(result.exitCode, 0);
        return readPng(folder.imagePath()).rgb;
    };
    const std::vector<std::uint8_t> box = render(boxModelFile());
    EXPECT_EQ(render(boxModelFileWithStrayFaces()), box);
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, BadInputProgramsTest, testing::ValuesIn(lumoraPrograms()), programTestName);

}  // namespace
