#include "tracer/Renderer.h"

Ray Renderer::primaryRay(std::uint32_t x, std::uint32_t y) const
{
    // Through the pixel's centre; u and v run from just above -1 to just below +1.
    const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(m_resolution.x) * 2.0f - 1.0f;
    const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(m_resolution.y) * 2.0f - 1.0f;
    const Vec3 direction = (m_forward + m_screenRight * u) + m_screenUp * v;
    return Ray{m_pos, normalize(direction), false, 0.0f};
}
