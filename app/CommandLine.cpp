#include "app/CommandLine.h"

#include <charconv>
#include <cstdint>
#include <set>
#include <system_error>

namespace {

enum class OptionId { help, version, model, settings, output, resolution, noWait, quiet };

struct OptionDefinition {
    OptionId id;
    std::string_view name;
    std::string_view shortName;
    bool takesValue;
};

constexpr OptionDefinition optionDefinitions[] = {
    {OptionId::help, "--help", "-h", false},    {OptionId::version, "--version", "", false},
    {OptionId::model, "--model", "", true},     {OptionId::settings, "--settings", "", true},
    {OptionId::output, "--output", "", true},   {OptionId::resolution, "--resolution", "", true},
    {OptionId::noWait, "--no-wait", "", false}, {OptionId::quiet, "--quiet", "", false},
};

const OptionDefinition* findOption(std::string_view name)
{
    for (const OptionDefinition& definition : optionDefinitions) {
        if (name == definition.name || (!definition.shortName.empty() && name == definition.shortName)) {
            return &definition;
        }
    }
    return nullptr;
}

// The argument between double quotes, as it would be typed. Control characters are written
// as \xHH, so that the usage error stays one line and cannot move the terminal's cursor.
std::string quoted(std::string_view text)
{
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    std::string result = "\"";
    for (const char character : text) {
        const auto code = static_cast<unsigned char>(character);
        if (code < 0x20 || code == 0x7F) {
            result += "\\x";
            result += hexDigits[code >> 4];
            result += hexDigits[code & 0xF];
        } else {
            result += character;
        }
    }
    result += '"';
    return result;
}

// A lone "-" is not an option: it is an argument like any other.
bool looksLikeOption(std::string_view argument) { return argument.size() >= 2 && argument[0] == '-'; }

// Decimal digits only, without sign or blanks, that fit in 32 bits.
std::optional<std::uint32_t> parseDimension(std::string_view text)
{
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || text.front() == '-' || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

// WIDTHxHEIGHT, such as 320x240. A zero size is left to the renderer, which refuses it as it
// refuses the same value in the settings file.
std::optional<Resolution> parseResolution(std::string_view text)
{
    const std::size_t separator = text.find_first_of("xX");
    if (separator == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> width = parseDimension(text.substr(0, separator));
    const std::optional<std::uint32_t> height = parseDimension(text.substr(separator + 1));
    if (!width || !height) {
        return std::nullopt;
    }
    return Resolution{*width, *height};
}

// Stores the option in the command line; the problem when its value cannot be used.
std::optional<std::string> applyOption(const OptionDefinition& option, const std::string& value,
                                       CommandLine& commandLine)
{
    RunOptions& options = commandLine.options;
    switch (option.id) {
        case OptionId::help:
            commandLine.request = ProgramRequest::showHelp;
            break;
        case OptionId::version:
            if (commandLine.request == ProgramRequest::render) {
                commandLine.request = ProgramRequest::showVersion;
            }
            break;
        case OptionId::model:
            options.modelPath = value;
            break;
        case OptionId::settings:
            options.settingsPath = value;
            break;
        case OptionId::output:
            options.outputPath = value;
            break;
        case OptionId::resolution:
            options.resolution = parseResolution(value);
            if (!options.resolution) {
                return "option \"--resolution\" needs WIDTHxHEIGHT in pixels, such as 320x240, not " + quoted(value);
            }
            break;
        case OptionId::noWait:
            options.waitForKey = false;
            break;
        case OptionId::quiet:
            options.showProgress = false;
            break;
    }
    return std::nullopt;
}

}  // namespace

std::variant<CommandLine, UsageError> parseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine commandLine;
    std::set<OptionId> given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!looksLikeOption(argument)) {
            return UsageError{"unexpected argument " + quoted(argument)};
        }
        // Only long options carry an attached value.
        const std::size_t equals = argument.starts_with("--") ? argument.find('=') : std::string::npos;
        const std::string_view name = std::string_view(argument).substr(0, equals);
        const OptionDefinition* option = findOption(name);
        if (option == nullptr) {
            return UsageError{"unknown option " + quoted(name)};
        }
        if (!given.insert(option->id).second) {
            return UsageError{"option " + quoted(option->name) + " is given more than once"};
        }
        std::string value;
        if (equals != std::string::npos) {
            if (!option->takesValue) {
                return UsageError{"option " + quoted(option->name) + " takes no value"};
            }
            value = argument.substr(equals + 1);
        } else if (option->takesValue && i + 1 < arguments.size() && !looksLikeOption(arguments[i + 1])) {
            value = arguments[++i];
        }
        if (option->takesValue && value.empty()) {
            return UsageError{"option " + quoted(option->name) + " needs a value"};
        }
        if (std::optional<std::string> problem = applyOption(*option, value, commandLine)) {
            return UsageError{*problem};
        }
    }
    return commandLine;
}

std::string usageText(std::string_view programName)
{
    const std::string name(programName);
    return "Usage: " + name +
           " [options]\n"
           "\n"
           "Renders a 3DS model as a clear, refracting crystal standing on the floor of\n"
           "a small coloured room with a mirror, by recursive ray tracing, and saves the\n"
           "picture. Only the model's first mesh is drawn. Without options it uses these\n"
           "files, relative to the current folder:\n"
           "  data/CrystalModel/Crystal.3DS  the model (read)\n"
           "  scene_settings.xml             camera, picture size, recursion limits (read)\n"
           "  Result1.png                    the picture (written)\n"
           "It prints the model's counts, the time that rendering and saving took and\n"
           "\"Success.\", then waits for a key.\n"
           "\n"
           "Options:\n"
           "  --model PATH       read the model from PATH\n"
           "  --settings PATH    read the settings from PATH\n"
           "  --output PATH      write the picture to PATH, as PNG or BMP by its extension\n"
           "  --resolution WxH   render W x H pixels in place of the settings' m_resolution\n"
           "  --no-wait          do not wait for a key at the end\n"
           "  --quiet            show no progress line while rendering\n"
           "  -h, --help         show this help and exit\n"
           "  --version          show the program's name and version and exit\n"
           "\n"
           "A value may also follow its option after \"=\", as in --output=picture.png.\n"
           "While it renders, the program shows its progress on standard error when that\n"
           "is a terminal; every other message goes to standard output. Exit codes:\n"
           "0 success, 1 failure, 2 usage error.\n";
}

std::string usageErrorLine(std::string_view programName, const UsageError& error)
{
    const std::string name(programName);
    return name + ": " + error.problem + ". Run \"" + name + " --help\" to see the options.";
}
