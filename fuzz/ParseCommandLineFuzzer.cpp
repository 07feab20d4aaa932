#include "app/CommandLine.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <variant>
#include <vector>

namespace {

// The arguments after the program's name: the input split at its NUL bytes, as the kernel
// hands them over (an argument itself can hold no NUL).
std::vector<std::string> argumentsOf(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> arguments;
    if (size == 0) {
        return arguments;
    }
    const char* text = reinterpret_cast<const char*>(data);
    const char* end = text + size;
    for (;;) {
        const char* stop = std::find(text, end, '\0');
        arguments.emplace_back(text, stop);
        if (stop == end) {
            return arguments;
        }
        text = stop + 1;
    }
}

bool isOneLine(const std::string& line)
{
    return std::none_of(line.begin(), line.end(), [](char character) {
        const auto code = static_cast<unsigned char>(character);
        return code < 0x20 || code == 0x7F;
    });
}

// What a parsed command line must hold: a file for each of the three roles, and a resolution
// exactly when the arguments asked for one (only the option itself can start so: an argument
// that looks like an option is never taken as another option's value).
bool isWhole(const CommandLine& commandLine, const std::vector<std::string>& arguments)
{
    const RunOptions& options = commandLine.options;
    const bool askedForResolution = std::any_of(arguments.begin(), arguments.end(), [](const std::string& argument) {
        return argument.starts_with("--resolution");
    });
    return !options.modelPath.empty() && !options.settingsPath.empty() && !options.outputPath.empty() &&
           options.resolution.has_value() == askedForResolution;
}

}  // namespace

// Parses each input as an argument vector. It must give either a command line or one usage
// error whose line is a single line; any exception, crash or sanitizer report is a finding.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> arguments = argumentsOf(data, size);
    const std::variant<CommandLine, UsageError> parsed = parseCommandLine(arguments);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        if (error->problem.empty() || !isOneLine(usageErrorLine("lumora", *error))) {
            std::abort();
        }
    } else if (!isWhole(std::get<CommandLine>(parsed), arguments)) {
        std::abort();
    }
    return 0;
}
