#include "tests/app/LumoraPrograms.h"

#include <sstream>

namespace {

const std::string prompt = "Press any key to continue.";

std::vector<testing::Matcher<std::string>> exactLines(const std::vector<std::string>& lines)
{
    return {lines.begin(), lines.end()};
}

}  // namespace

const std::vector<LumoraProgram>& lumoraPrograms()
{
    static const std::vector<LumoraProgram> programs{
        {"lumora", LUMORA_PARALLEL_PROGRAM, "=====================Using OpenMP=======:"},
        {"lumora_serial", LUMORA_SERIAL_PROGRAM, "=============Without Using OpenMP=======:"},
    };
    return programs;
}

std::string programTestName(const testing::TestParamInfo<LumoraProgram>& info) { return info.param.name; }

std::vector<std::string> outputLines(const std::string& output)
{
    std::vector<std::string> lines;
    std::istringstream stream(output);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    if (!output.empty() && output.back() != '\n') {
        lines.emplace_back("(no newline at the end of the output)");
    }
    return lines;
}

std::vector<std::string> modelCountLines(std::uint32_t meshes, std::uint32_t lights, std::uint32_t materials)
{
    return {
        "Number of meshes in the file = " + std::to_string(meshes),
        "Number of lights in the file = " + std::to_string(lights),
        "Number of materials in the file = " + std::to_string(materials),
    };
}

testing::Matcher<std::string> timingLine(const std::string& banner)
{
    // The banners hold no character that is special in a regular expression.
    return testing::MatchesRegex(banner + " : Time \\[[0-9]+\\.[0-9]{3}\\] seconds");
}

std::vector<testing::Matcher<std::string>> completeRunLines(const std::vector<std::string>& countLines,
                                                            const std::string& banner)
{
    std::vector<testing::Matcher<std::string>> lines = exactLines(countLines);
    lines.push_back(timingLine(banner));
    lines.emplace_back("Success.");
    lines.emplace_back(prompt);
    return lines;
}

std::vector<testing::Matcher<std::string>> failedRunLines(const std::vector<std::string>& countLines,
                                                          const testing::Matcher<std::string>& errorLine)
{
    std::vector<testing::Matcher<std::string>> lines = exactLines(countLines);
    lines.push_back(errorLine);
    lines.emplace_back(prompt);
    return lines;
}

void PrintTo(const LumoraProgram& program, std::ostream* out) { *out << program.name; }
