#include "app/CommandLine.h"
#include "app/RunSequence.h"

#include <iostream>
#include <string>
#include <variant>
#include <vector>

// Each program is built from this file with its own name; both share the project's version.
int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const std::variant<CommandLine, UsageError> parsed = parseCommandLine(arguments);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        std::cerr << usageErrorLine(LUMORA_PROGRAM_NAME, *error) << std::endl;
        return 2;
    }
    const CommandLine& commandLine = std::get<CommandLine>(parsed);
    switch (commandLine.request) {
        case ProgramRequest::showHelp:
            std::cout << usageText(LUMORA_PROGRAM_NAME) << std::flush;
            return 0;
        case ProgramRequest::showVersion:
            std::cout << LUMORA_PROGRAM_NAME << " " << LUMORA_VERSION << std::endl;
            return 0;
        case ProgramRequest::render:
            break;
    }
    return runRenderJob(commandLine.options);
}
