#include "fuzz/ScratchFolder.h"
#include "scene/Scene.h"
#include "settings/ParameterReaders.h"
#include "tools/chunkwriter/ModelChunks.h"
#include "tracer/Renderer.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

// Holds the model of the scene and the settings file of the current input; removed at exit.
const ScratchFolder& scratchFolder()
{
    static const ScratchFolder folder;
    return folder;
}

// The renderer only keeps a pointer to its scene, so a one-triangle model is enough.
const Scene& scene()
{
    static const Scene scene = [] {
        const Bytes model = modelFile([](ChunkWriter& writer) {
            meshObject(writer, "triangle", [](ChunkWriter& mesh) {
                vertexList(mesh, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
                faceList(mesh, {{0, 1, 2}});
            });
        });
        return Scene(scratchFolder().write("model.3ds", model.data(), model.size()).string());
    }();
    return scene;
}

// The renderer sizes its framebuffer, 12 bytes a pixel, from m_resolution, and accepts every
// picture whose pixel count fits in 32 bits: up to 48 GB. The program refuses what the machine
// cannot give, but the fuzzer's memory limit is far lower and would report such pictures as
// findings. So pictures of more than 2^16 pixels are read here with the renderer's own reader
// and passed over: a larger framebuffer takes no other path, it only makes each run slower.
// Pictures beyond 32 bits, which the renderer refuses before allocating, are still handed to it.
bool asksForLargeFramebuffer(const std::uint8_t* data, std::size_t size)
{
    tinyxml2::XMLDocument document;
    if (document.Parse(reinterpret_cast<const char*>(data), size) != tinyxml2::XML_SUCCESS) {
        return false;
    }
    Resolution resolution{};
    try {
        readVector2uParameter(document.FirstChildElement(), "m_resolution", resolution);
    } catch (const std::string&) {
        return false;
    }
    const std::uint64_t pixelCount = std::uint64_t{resolution.x} * resolution.y;
    return pixelCount > (std::uint64_t{1} << 16) && pixelCount <= std::numeric_limits<std::uint32_t>::max();
}

// A message is printed as one console line after "Error. ": no line breaks, and no other
// control characters, which could move the cursor or clear the screen.
bool isOneLine(const std::string& message)
{
    return !message.empty() && std::none_of(message.begin(), message.end(), [](char character) {
        const auto code = static_cast<unsigned char>(character);
        return code < 0x20 || code == 0x7F;
    });
}

}  // namespace

// Reads each input as a settings file. The renderer must either be set up, with its framebuffer
// sized to the picture, or throw one of the program's own messages (a std::string of one line).
// Any other exception escapes and aborts; that, a crash, a sanitizer report, a leak or a hang
// is a finding.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (asksForLargeFramebuffer(data, size)) {
        return -1;
    }
    const std::filesystem::path settings = scratchFolder().write("settings.xml", data, size);
    try {
        const Renderer renderer(&scene(), settings.string());
        if (renderer.m_framebuffer.size() != std::size_t{renderer.m_resolution.x} * renderer.m_resolution.y) {
            std::abort();
        }
    } catch (const std::string& message) {
        if (!isOneLine(message)) {
            std::abort();
        }
    }
    return 0;
}
