#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

namespace {

CommandLine parsed(const std::vector<std::string>& arguments)
{
    const std::variant<CommandLine, UsageError> result = parseCommandLine(arguments);
    if (const auto* error = std::get_if<UsageError>(&result)) {
        ADD_FAILURE() << "usage error: " << error->problem;
        return {};
    }
    return std::get<CommandLine>(result);
}

std::string problem(const std::vector<std::string>& arguments)
{
    const std::variant<CommandLine, UsageError> result = parseCommandLine(arguments);
    if (const auto* error = std::get_if<UsageError>(&result)) {
        return error->problem;
    }
    return "(accepted)";
}

TEST(CommandLine, NoArgumentsRenderWithTheDefaultFiles)
{
    const CommandLine commandLine = parsed({});
    EXPECT_EQ(commandLine.request, ProgramRequest::render);
    EXPECT_EQ(commandLine.options.modelPath, "data/CrystalModel/Crystal.3DS");
    EXPECT_EQ(commandLine.options.settingsPath, "scene_settings.xml");
    EXPECT_EQ(commandLine.options.outputPath, "Result1.png");
    EXPECT_FALSE(commandLine.options.resolution.has_value());
    EXPECT_TRUE(commandLine.options.waitForKey);
    EXPECT_TRUE(commandLine.options.showProgress);
}

TEST(CommandLine, EveryOptionInBothFormsAndAnyOrder)
{
    const std::vector<std::vector<std::string>> forms{
        {"--model", "m.3DS", "--settings", "s.xml", "--output", "o.bmp", "--resolution", "320x240", "--no-wait",
         "--quiet"},
        {"--quiet", "--resolution=320x240", "--no-wait", "--output=o.bmp", "--settings=s.xml", "--model=m.3DS"},
        {"--output", "o.bmp", "--quiet", "--model=m.3DS", "--resolution", "320X240", "--settings", "s.xml",
         "--no-wait"},
    };
    for (const auto& arguments : forms) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        const CommandLine commandLine = parsed(arguments);
        EXPECT_EQ(commandLine.request, ProgramRequest::render);
        EXPECT_EQ(commandLine.options.modelPath, "m.3DS");
        EXPECT_EQ(commandLine.options.settingsPath, "s.xml");
        EXPECT_EQ(commandLine.options.outputPath, "o.bmp");
        ASSERT_TRUE(commandLine.options.resolution.has_value());
        EXPECT_EQ(commandLine.options.resolution->x, 320u);
        EXPECT_EQ(commandLine.options.resolution->y, 240u);
        EXPECT_FALSE(commandLine.options.waitForKey);
        EXPECT_FALSE(commandLine.options.showProgress);
    }
}

TEST(CommandLine, ValuesAreTakenAsWritten)
{
    // Everything after the first "=" is the value, and a lone "-" is a value, not an option.
    EXPECT_EQ(parsed({"--output=a=b.png"}).options.outputPath, "a=b.png");
    EXPECT_EQ(parsed({"--model", "-"}).options.modelPath, "-");
    EXPECT_EQ(parsed({"--settings=-s.xml"}).options.settingsPath, "-s.xml");
    EXPECT_EQ(parsed({"--output", "folder with blanks/p.png"}).options.outputPath, "folder with blanks/p.png");
}

TEST(CommandLine, ResolutionLimits)
{
    const auto resolution = [](const std::string& text) { return *parsed({"--resolution", text}).options.resolution; };
    EXPECT_EQ(resolution("4294967295x1").x, 4294967295u);
    EXPECT_EQ(resolution("1x4294967295").y, 4294967295u);
    // Zero is the renderer's to refuse, with the message it gives for the settings file.
    EXPECT_EQ(resolution("0x48").x, 0u);
    EXPECT_EQ(resolution("007x08").y, 8u);
}

TEST(CommandLine, HelpAndVersionAreRequests)
{
    EXPECT_EQ(parsed({"-h"}).request, ProgramRequest::showHelp);
    EXPECT_EQ(parsed({"--help"}).request, ProgramRequest::showHelp);
    EXPECT_EQ(parsed({"--version"}).request, ProgramRequest::showVersion);
    // Help says the most, whatever the order.
    EXPECT_EQ(parsed({"--version", "--help"}).request, ProgramRequest::showHelp);
    EXPECT_EQ(parsed({"-h", "--version"}).request, ProgramRequest::showHelp);
    EXPECT_EQ(parsed({"--model", "m.3DS", "--version"}).request, ProgramRequest::showVersion);
}

TEST(CommandLine, UsageErrorsNameTheProblem)
{
    EXPECT_EQ(problem({"--fast"}), "unknown option \"--fast\"");
    EXPECT_EQ(problem({"--fast=1"}), "unknown option \"--fast\"");
    EXPECT_EQ(problem({"-o", "p.png"}), "unknown option \"-o\"");
    EXPECT_EQ(problem({"-h=1"}), "unknown option \"-h=1\"");
    EXPECT_EQ(problem({"--"}), "unknown option \"--\"");
    EXPECT_EQ(problem({"--Help"}), "unknown option \"--Help\"");

    EXPECT_EQ(problem({"scene.xml"}), "unexpected argument \"scene.xml\"");
    EXPECT_EQ(problem({"--quiet", "-"}), "unexpected argument \"-\"");
    EXPECT_EQ(problem({""}), "unexpected argument \"\"");
    EXPECT_EQ(problem({"--model", "a.3DS", "b.3DS"}), "unexpected argument \"b.3DS\"");

    for (const char* option : {"--model", "--settings", "--output", "--resolution"}) {
        const std::string needsValue = "option \"" + std::string(option) + "\" needs a value";
        EXPECT_EQ(problem({option}), needsValue);
        EXPECT_EQ(problem({std::string(option) + "="}), needsValue);
        EXPECT_EQ(problem({option, "--quiet"}), needsValue);
        EXPECT_EQ(problem({option, ""}), needsValue);
    }
    for (const char* option : {"--help", "--version", "--no-wait", "--quiet"}) {
        EXPECT_EQ(problem({std::string(option) + "=yes"}), "option \"" + std::string(option) + "\" takes no value");
    }

    EXPECT_EQ(problem({"--quiet", "--no-wait", "--quiet"}), "option \"--quiet\" is given more than once");
    EXPECT_EQ(problem({"--model=a.3DS", "--model", "a.3DS"}), "option \"--model\" is given more than once");
    EXPECT_EQ(problem({"-h", "--help"}), "option \"--help\" is given more than once");
    EXPECT_EQ(problem({"--version", "--version"}), "option \"--version\" is given more than once");

    // Control characters are spelled out, so the error stays one line on the terminal.
    EXPECT_EQ(problem({"--a\nb"}), "unknown option \"--a\\x0Ab\"");
    EXPECT_EQ(problem({"x\x1b[2J\x7f"}), "unexpected argument \"x\\x1B[2J\\x7F\"");

    // The first problem is the one reported, even after a request for help.
    EXPECT_EQ(problem({"--help", "--fast", "extra"}), "unknown option \"--fast\"");
}

TEST(CommandLine, MalformedResolutionsAreUsageErrors)
{
    for (const char* text :
         {"320", "320x", "x240", "320*240", "320x240x1", " 320x240", "320x240 ", "+320x240", "-320x240", "320x-240",
          "3e2x240", "4294967296x1", "1x99999999999999999999", "0x0x0", "320 x 240", "0x1f"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(
            problem({"--resolution=" + std::string(text)}),
            "option \"--resolution\" needs WIDTHxHEIGHT in pixels, such as 320x240, not \"" + std::string(text) + "\"");
    }
}

TEST(CommandLine, UsageTextAndErrorLineCarryTheProgramName)
{
    const std::string text = usageText("lumora_serial");
    EXPECT_TRUE(text.starts_with("Usage: lumora_serial [options]\n"));
    for (const char* option : {"--model PATH", "--settings PATH", "--output PATH", "--resolution WxH", "--no-wait",
                               "--quiet", "-h, --help", "--version"}) {
        EXPECT_NE(text.find(option), std::string::npos) << option;
    }
    for (const char* file : {"data/CrystalModel/Crystal.3DS", "scene_settings.xml", "Result1.png"}) {
        EXPECT_NE(text.find(file), std::string::npos) << file;
    }
    EXPECT_EQ(usageErrorLine("lumora", UsageError{"unknown option \"--fast\""}),
              "lumora: unknown option \"--fast\". Run \"lumora --help\" to see the options.");
}

}  // namespace
