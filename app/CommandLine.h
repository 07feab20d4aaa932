#pragma once

#include "tracer/Renderer.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// How one run renders: which files it reads and writes, and what it shows on the console.
// The defaults are what a run without arguments does.
struct RunOptions {
    std::string modelPath = "data/CrystalModel/Crystal.3DS";
    std::string settingsPath = "scene_settings.xml";
    std::string outputPath = "Result1.png";
    // Stands in for the settings file's m_resolution.
    std::optional<Resolution> resolution;
    bool waitForKey = true;
    bool showProgress = true;
};

enum class ProgramRequest { render, showHelp, showVersion };

struct CommandLine {
    ProgramRequest request = ProgramRequest::render;
    RunOptions options;
};

// What is wrong with the arguments, as a phrase such as: unknown option "--fast".
struct UsageError {
    std::string problem;
};

// Reads the arguments that follow the program's name. Options come in any order, each at most
// once; a value follows its option as the next argument or after "=" ("--model m.3DS" or
// "--model=m.3DS"). The first problem found is the one reported.
std::variant<CommandLine, UsageError> parseCommandLine(const std::vector<std::string>& arguments);

// The text of --help: what the program does, its options and its default files.
std::string usageText(std::string_view programName);

// The one line that reports a usage error, with a pointer to --help; no newline at its end.
std::string usageErrorLine(std::string_view programName, const UsageError& error);
