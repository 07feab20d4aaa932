#include "settings/ParameterReaders.h"
#include "settings/SettingsChecks.h"
#include "tracer/RenderLoop.h"
#include "tracer/Renderer.h"
#include "tracer/TraceDepthLimit.h"

#include <tinyxml2.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>

namespace {

// The library's detail quotes the document where parsing stopped, line breaks and all; the
// message is printed as one console line, so line breaks and other control characters become
// spaces.
std::string onConsoleLine(std::string text)
{
    for (char& character : text) {
        const auto code = static_cast<unsigned char>(character);
        if (code < 0x20 || code == 0x7F) {
            character = ' ';
        }
    }
    return text;
}

// A file that cannot be opened or read, or holds nothing, is best named by its path; for a
// parse error the library's own text tells which error and on which line.
std::string loadFailureDetail(const tinyxml2::XMLDocument& document, const std::string& path)
{
    switch (document.ErrorID()) {
        case tinyxml2::XML_ERROR_FILE_NOT_FOUND:
        case tinyxml2::XML_ERROR_FILE_COULD_NOT_BE_OPENED:
        case tinyxml2::XML_ERROR_FILE_READ_ERROR:
        case tinyxml2::XML_ERROR_EMPTY_DOCUMENT:
            return path;
        default:
            const char* text = document.ErrorStr();
            return text == nullptr || *text == '\0' ? path : onConsoleLine(text);
    }
}

// The line for a settings file that could not be loaded, with the library's detail or the path.
std::string loadFailure(const std::string& path, const std::string& detail)
{
    return "Can not load file \"" + path + "\". tinyxml2 error: \"" + detail + "\".";
}

// A named pipe, device or socket: the library's fopen of a pipe that nobody writes to waits for
// ever, and what such a file gives is no settings file anyway.
bool isSpecialFile(const std::string& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
           !std::filesystem::is_directory(status);
}

// Each bounce is a level of recursion on a render thread's stack; deeper than it holds would crash.
void refuseTooDeepRecursion(std::uint32_t maxDepth)
{
    const std::uint32_t deepest = deepestTraceDepth(renderThreadStackHeadroom());
    if (maxDepth > deepest) {
        throw "Error in reading xml file. Parameter \"max_depth_\" is " + std::to_string(maxDepth) +
            "; the deepest recursion that fits on the render threads' stacks is " + std::to_string(deepest) + ".";
    }
}

// The tangent of half the full view angle: the half angle in float, the tangent in double.
float halfAngleTangent(float fullAngle) { return static_cast<float>(std::tan(static_cast<double>(fullAngle * 0.5f))); }

}  // namespace

Renderer::Renderer(const Scene* scene, std::string settingsPath, std::optional<Resolution> resolution)
{
    if (isSpecialFile(settingsPath)) {
        throw loadFailure(settingsPath, settingsPath);
    }
    tinyxml2::XMLDocument document;
    if (document.LoadFile(settingsPath.c_str()) != tinyxml2::XML_SUCCESS) {
        throw loadFailure(settingsPath, loadFailureDetail(document, settingsPath));
    }
    const tinyxml2::XMLElement* root = document.FirstChildElement();

    readVector3Parameter(root, "m_pos", m_pos);
    readVector3Parameter(root, "m_forward", m_forward);
    m_forward = normalize(m_forward);
    readVector2Parameter(root, "m_viewAngle", m_viewAngle);
    readVector2uParameter(root, "m_resolution", m_resolution);
    m_resolution = resolution.value_or(m_resolution);
    readUnsignedParameter(root, "max_depth_", max_depth_);
    readFloatParameter(root, "min_energy_", min_energy_);

    refuseViewWithoutHeading(m_forward);
    refuseUnusableViewAngles(m_viewAngle);
    refuseUnusableResolution(m_resolution);
    refuseTooDeepRecursion(max_depth_);

    // World up stays (0, 1, 0) whatever the view direction, so m_right is only as long as the
    // horizontal part of m_forward.
    m_up = {0.0f, 1.0f, 0.0f};
    m_right = cross(m_forward, m_up);
    m_framebuffer = zeroFramebuffer(m_resolution);
    m_screenRight = m_right * halfAngleTangent(m_viewAngle.x);
    m_screenUp = m_up * halfAngleTangent(m_viewAngle.y);
    useScene(scene);
}
