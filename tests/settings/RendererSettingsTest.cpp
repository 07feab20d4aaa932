#include "tests/support/SettingsFile.h"
#include "tests/support/TempDir.h"
#include "tracer/Renderer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

const std::string loadedWithoutError = "(no error)";

// Writes the document as a settings file and builds a renderer from it. The constructor only
// keeps the scene pointer, so no scene is needed. A thrown message goes to error. Never inlined,
// so that calls from one test meet the same stack depth (the depth limit depends on it).
[[gnu::noinline]] std::optional<Renderer> load(const std::string& xml, std::string& error)
{
    const TempDir dir;
    const std::string path = dir.write("scene_settings.xml", xml).string();
    try {
        return Renderer(nullptr, path);
    } catch (const std::string& message) {
        error = message;
        return std::nullopt;
    }
}

std::string loadError(const std::string& xml)
{
    std::string error = loadedWithoutError;
    load(xml, error);
    return error;
}

std::string loadError(const SettingsValues& values) { return loadError(settingsXml(values)); }

Renderer loaded(const std::string& xml)
{
    std::string error;
    std::optional<Renderer> renderer = load(xml, error);
    if (!renderer) {
        throw std::runtime_error("settings refused: " + error);
    }
    return *renderer;
}

Renderer loaded(const SettingsValues& values) { return loaded(settingsXml(values)); }

std::string parameterMessage(const std::string& component)
{
    return "Error in reading xml file. Can not read parameter \"" + component + "\".";
}

}  // namespace

TEST(RendererSettings, ReadsParametersInAnyOrderInsideAnyRootIgnoringExtras)
{
    const Renderer renderer = loaded(
        "<?xml version=\"1.0\"?>\n<!-- camera for the test -->\n<camera note=\"any root name\">\n"
        "  <min_energy_ value=\"1e-3\"/>\n"
        "  <m_resolution value_x=\"3\" value_y=\"+2\" value_z=\"99\"/>\n"
        "  <unrelated value=\"abc\"/>\n"
        "  <max_depth_ value=\"5\"/>\n"
        "  <m_viewAngle value_x=\" 1.5\" value_y=\"1.25deg\"/>\n"
        "  <m_forward value_x=\"0\" value_y=\"0\" value_z=\"-2\">text is not read</m_forward>\n"
        "  <m_pos value_x=\"1\" value_y=\"-2\" value_z=\"30.5\" colour=\"red\"/>\n"
        "  <m_pos value_x=\"abc\" value_y=\"abc\" value_z=\"abc\"/>\n"
        "</camera>\n");

    EXPECT_EQ(renderer.m_pos.x, 1.0f);
    EXPECT_EQ(renderer.m_pos.y, -2.0f);
    EXPECT_EQ(renderer.m_pos.z, 30.5f);
    EXPECT_EQ(renderer.m_forward.z, -1.0f);
    EXPECT_EQ(renderer.m_viewAngle.x, 1.5f);
    EXPECT_EQ(renderer.m_viewAngle.y, 1.25f);
    EXPECT_EQ(renderer.m_resolution.x, 3u);
    EXPECT_EQ(renderer.m_resolution.y, 2u);
    EXPECT_EQ(renderer.max_depth_, 5u);
    EXPECT_EQ(renderer.min_energy_, 0.001f);
    EXPECT_EQ(renderer.m_scene, nullptr);
    ASSERT_EQ(renderer.m_framebuffer.size(), 6u);
    for (const Vec3& colour : renderer.m_framebuffer) {
        EXPECT_EQ(colour.x + colour.y + colour.z, 0.0f);
    }
}

TEST(RendererSettings, NamesTheFirstComponentThatCannotBeRead)
{
    struct Case {
        std::string SettingsValues::*attribute;
        std::string text;
        std::string component;
    };
    const Case cases[] = {
        {&SettingsValues::posZ, "", "m_pos.z"},
        {&SettingsValues::forwardX, "abc", "m_forward.x"},
        {&SettingsValues::forwardY, " ", "m_forward.y"},
        {&SettingsValues::angleY, "", "m_viewAngle.y"},
        {&SettingsValues::width, "-", "m_resolution.x"},
        {&SettingsValues::height, "4294967296", "m_resolution.y"},
        {&SettingsValues::maxDepth, "abc", "max_depth_.x"},
        {&SettingsValues::minEnergy, "", "min_energy_.x"},
    };
    for (const Case& c : cases) {
        SettingsValues values;
        values.*c.attribute = c.text;
        EXPECT_EQ(loadError(values), parameterMessage(c.component)) << "text \"" << c.text << "\"";
    }
}

TEST(RendererSettings, ReportsOnlyTheFirstFailure)
{
    SettingsValues values;
    values.posZ = "";
    values.angleX = "abc";
    values.maxDepth = "abc";
    values.width = "70000";
    values.height = "70000";
    EXPECT_EQ(loadError(values), parameterMessage("m_pos.z"));
}

TEST(RendererSettings, MissingElementsFailAtTheirFirstComponent)
{
    EXPECT_EQ(loadError("<settings><m_pos value_x=\"0\" value_y=\"0\" value_z=\"0\"/></settings>"),
              parameterMessage("m_forward.x"));
    EXPECT_EQ(loadError("<settings><M_POS value_x=\"0\" value_y=\"0\" value_z=\"0\"/></settings>"),
              parameterMessage("m_pos.x"));
    EXPECT_EQ(loadError("<?xml version=\"1.0\"?>\n<!-- no element at all -->\n"), parameterMessage("m_pos.x"));
}

TEST(RendererSettings, RejectedDocumentGivesTheLoadFailureWithTheLibrarysDetail)
{
    const TempDir dir;
    for (const std::string xml : {"<settings><m_pos value_x=\"1\"></settings>", "<a><b></a>"}) {
        const std::string path = dir.write("rejected.xml", xml).string();
        try {
            Renderer(nullptr, path);
            ADD_FAILURE() << "accepted \"" << xml << "\"";
        } catch (const std::string& message) {
            const std::string head = "Can not load file \"" + path + "\". tinyxml2 error: \"";
            EXPECT_TRUE(message.starts_with(head)) << message;
            EXPECT_TRUE(message.ends_with("\".")) << message;
            EXPECT_GT(message.size(), head.size() + 2) << "no detail: " << message;
        }
    }
}

// The library quotes the document where it stopped; the message stays one plain line.
TEST(RendererSettings, LoadFailureDetailKeepsToOneLine)
{
    // A declaration inside the root is refused, and the library quotes its text (reading the file
    // makes the carriage return and line feed one line break).
    const std::string message = loadError("<s>\n<?xml a\r\n\tb\x1b[2J?>\n</s>");
    ASSERT_TRUE(message.starts_with("Can not load file \"")) << message;
    EXPECT_NE(message.find("xml a  b [2J"), std::string::npos) << message;
    EXPECT_EQ(std::count_if(message.begin(), message.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; }), 0)
        << message;
}

TEST(RendererSettings, MissingEmptyOrSpecialFileNamesThePathTwice)
{
    const TempDir dir;
    const std::string missing = "no_such_folder/scene_settings.xml";
    ASSERT_FALSE(std::filesystem::exists(missing));
    // A named pipe that nobody writes to is refused at once, not waited on.
    const std::string pipe = (dir.path() / "pipe.xml").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {missing, dir.write("empty.xml", "").string(),
                                    dir.write("blank.xml", "  \n").string(), pipe, std::string("/dev/null")}) {
        try {
            Renderer(nullptr, path);
            ADD_FAILURE() << path << " was accepted";
        } catch (const std::string& message) {
            EXPECT_EQ(message, "Can not load file \"" + path + "\". tinyxml2 error: \"" + path + "\".");
        }
    }
}

TEST(RendererSettings, NormalisesTheViewDirectionAndDerivesTheScreenVectors)
{
    SettingsValues values;
    values.forwardZ = "-10";
    const Renderer straight = loaded(values);
    EXPECT_EQ(straight.m_forward.x, 0.0f);
    EXPECT_EQ(straight.m_forward.y, 0.0f);
    EXPECT_FLOAT_EQ(straight.m_forward.z, -1.0f);
    EXPECT_FLOAT_EQ(straight.m_right.x, 1.0f);
    EXPECT_EQ(straight.m_right.z, 0.0f);
    EXPECT_FLOAT_EQ(straight.m_screenRight.x, 1.0f);  // tan(pi / 4)
    EXPECT_FLOAT_EQ(straight.m_screenUp.y, 1.0f);

    values.forwardY = "0.6";
    values.forwardZ = "-0.8";
    values.angleX = "0.92729522";  // 2 atan(1/2)
    values.angleY = "0.48995733";  // 2 atan(1/4)
    const Renderer tilted = loaded(values);
    EXPECT_FLOAT_EQ(tilted.m_forward.y, 0.6f);
    EXPECT_FLOAT_EQ(tilted.m_forward.z, -0.8f);
    // World up stays put and m_right is not normalised: it keeps the horizontal length 0.8.
    EXPECT_EQ(tilted.m_up.x, 0.0f);
    EXPECT_EQ(tilted.m_up.y, 1.0f);
    EXPECT_EQ(tilted.m_up.z, 0.0f);
    EXPECT_EQ(tilted.m_right.x, -tilted.m_forward.z);
    EXPECT_EQ(tilted.m_right.y, 0.0f);
    EXPECT_EQ(tilted.m_right.z, tilted.m_forward.x);
    EXPECT_FLOAT_EQ(tilted.m_screenRight.x, 0.4f);
    EXPECT_EQ(tilted.m_screenRight.y, 0.0f);
    EXPECT_EQ(tilted.m_screenUp.x, 0.0f);
    EXPECT_FLOAT_EQ(tilted.m_screenUp.y, 0.25f);
    EXPECT_EQ(tilted.m_screenUp.z, 0.0f);
}

TEST(RendererSettings, RefusesAPictureWhosePixelCountExceeds32Bits)
{
    SettingsValues values;
    values.width = "70000";
    values.height = "70000";
    EXPECT_EQ(loadError(values),
              "Error in reading xml file. Parameter \"m_resolution\" asks for 70000 x 70000 pixels; "
              "at most 4294967295 fit in one picture.");
    values.width = "65536";
    values.height = "65536";
    values.maxDepth = "4294967295";
    EXPECT_TRUE(
        loadError(values).starts_with("Error in reading xml file. Parameter \"m_resolution\" asks for 65536 x 65536"));
    values.minEnergy = "abc";
    EXPECT_EQ(loadError(values), parameterMessage("min_energy_.x"));
}

TEST(RendererSettings, RefusesARecursionDeeperThanTheStacksHold)
{
    const std::string head = "Error in reading xml file. Parameter \"max_depth_\" is ";
    const std::string limitText = "; the deepest recursion that fits on the render threads' stacks is ";
    SettingsValues values;
    values.maxDepth = "4294967295";
    std::string error;
    ASSERT_FALSE(load(settingsXml(values), error).has_value());
    const std::string expectedStart = head + values.maxDepth + limitText;
    ASSERT_TRUE(error.starts_with(expectedStart) && error.ends_with(".")) << error;
    // The limit depends on how much stack is left, so it is taken from the message and then
    // tried along exactly the same call path.
    const std::string deepest = error.substr(expectedStart.size(), error.size() - expectedStart.size() - 1);
    const unsigned long limit = std::stoul(deepest);
    ASSERT_LT(limit, 4294967295ul);

    values.maxDepth = deepest;
    const std::optional<Renderer> atLimit = load(settingsXml(values), error);
    ASSERT_TRUE(atLimit.has_value()) << error;
    EXPECT_EQ(atLimit->max_depth_, limit);
    values.maxDepth = std::to_string(limit + 1);
    EXPECT_FALSE(load(settingsXml(values), error).has_value());
    EXPECT_EQ(error, head + values.maxDepth + limitText + deepest + ".");
}
