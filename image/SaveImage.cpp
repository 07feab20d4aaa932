#include "image/ImagePathCheck.h"
#include "image/Picture.h"
#include "tracer/ChannelByte.h"
#include "tracer/Renderer.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

// Framebuffer row 0 is the picture's bottom row, which a bottom-up picture stores last when
// counted from its top row.
void convertFramebuffer(const std::vector<Vec3>& framebuffer, Picture& picture)
{
    const std::uint32_t width = picture.width();
    const std::uint32_t height = picture.height();
    for (std::uint32_t y = 0; y < height; ++y) {
        std::uint8_t* row = picture.bits() + static_cast<std::ptrdiff_t>(height - 1 - y) * picture.pitch();
        const Vec3* colours = framebuffer.data() + std::size_t{y} * width;
        for (std::uint32_t x = 0; x < width; ++x) {
            row[3 * std::size_t{x}] = channelByte(colours[x].z);
            row[3 * std::size_t{x} + 1] = channelByte(colours[x].y);
            row[3 * std::size_t{x} + 2] = channelByte(colours[x].x);
        }
    }
}

}  // namespace

void Renderer::saveImage(std::string path) const
{
    refuseUnwritableImagePath(path);
    // A framebuffer that does not match the resolution would be read past its end.
    if (m_framebuffer.size() != std::size_t{m_resolution.x} * m_resolution.y) {
        throw saveFailure(path, systemReason(EINVAL));
    }
    std::optional<Picture> picture = Picture::create(m_resolution.x, m_resolution.y);
    if (!picture) {
        throw saveFailure(path, systemReason(ENOMEM));
    }
    convertFramebuffer(m_framebuffer, *picture);
    if (!picture->save(path)) {
        throw saveFailure(path, systemReason(errno));
    }
}
