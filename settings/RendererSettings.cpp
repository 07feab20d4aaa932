#include "settings/ParameterReaders.h"
#include "tracer/RenderLoop.h"
#include "tracer/Renderer.h"
#include "tracer/TraceDepthLimit.h"

#include <tinyxml2.h>

#include <cmath>
#include <cstdint>
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

// The render loop indexes pixels as x + width * y in 32 bits, so the whole picture must fit.
void refuseOversizedPicture(Resolution resolution)
{
    const std::uint64_t pixelCount = std::uint64_t{resolution.x} * resolution.y;
    const std::uint32_t mostPixels = std::numeric_limits<std::uint32_t>::max();
    if (pixelCount > mostPixels) {
        throw "Error in reading xml file. Parameter \"m_resolution\" asks for " + std::to_string(resolution.x) + " x " +
            std::to_string(resolution.y) + " pixels; at most " + std::to_string(mostPixels) + " fit in one picture.";
    }
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

Renderer::Renderer(const Scene* scene, std::string settingsPath) : m_scene(scene)
{
    tinyxml2::XMLDocument document;
    if (document.LoadFile(settingsPath.c_str()) != tinyxml2::XML_SUCCESS) {
        throw "Can not load file \"" + settingsPath + "\". tinyxml2 error: \"" +
            loadFailureDetail(document, settingsPath) + "\".";
    }
    const tinyxml2::XMLElement* root = document.FirstChildElement();

    readVector3Parameter(root, "m_pos", m_pos);
    readVector3Parameter(root, "m_forward", m_forward);
    m_forward = normalize(m_forward);
    readVector2Parameter(root, "m_viewAngle", m_viewAngle);
    readVector2uParameter(root, "m_resolution", m_resolution);
    readUnsignedParameter(root, "max_depth_", max_depth_);
    readFloatParameter(root, "min_energy_", min_energy_);

    refuseOversizedPicture(m_resolution);
    refuseTooDeepRecursion(max_depth_);

    // World up stays (0, 1, 0) whatever the view direction, so m_right is only as long as the
    // horizontal part of m_forward.
    m_up = {0.0f, 1.0f, 0.0f};
    m_right = cross(m_forward, m_up);
    m_framebuffer.assign(std::size_t{m_resolution.x} * m_resolution.y, Vec3{0.0f, 0.0f, 0.0f});
    m_screenRight = m_right * halfAngleTangent(m_viewAngle.x);
    m_screenUp = m_up * halfAngleTangent(m_viewAngle.y);
}
