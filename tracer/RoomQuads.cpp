#include "tracer/RoomQuads.h"

#include "tracer/RoomSurfaces.h"
#include "tracer/TriangleCorners.h"

#include <bit>

RoomQuads::RoomQuads(const Scene& scene)
{
    std::size_t total = 0;
    for (const RoomSurface& surface : kRoomSurfaces) {
        total += (scene.*surface.list).triangles.size();
    }
    if (total > kMostTriangles) {
        return;
    }
    m_holdsRoom = true;
    std::size_t lane = 0;
    for (std::size_t surface = 0; surface < std::size(kRoomSurfaces); ++surface) {
        const TriangleList& list = scene.*kRoomSurfaces[surface].list;
        for (std::size_t i = 0; i < list.triangles.size(); ++i, ++lane) {
            if (lane % 4 == 0) {
                m_quads.push_back(emptyQuad());
            }
            setLane(m_quads.back(), static_cast<unsigned>(lane % 4), listTriangleCorners(list, i),
                    static_cast<std::uint32_t>(i));
            m_laneKinds[lane] = kRoomSurfaces[surface].kind;
        }
    }
}

HitRecord RoomQuads::withRoomSurfaces(const Ray& ray, HitRecord best) const
{
    // Lanes follow the brute-force search's order, and it keeps the first of equally near
    // triangles within a surface and the earlier of equally near surfaces: so the room's answer
    // is the nearest struck lane, the earliest at equal t.
    const QuadRay quadRay(ray.origin, ray.direction);
    float nearestT = 0.0f;
    std::size_t nearestLane = kMostTriangles;
    for (std::size_t q = 0; q < m_quads.size(); ++q) {
        alignas(16) float t[4];
        for (unsigned struck = strikeQuad(m_quads[q], quadRay, t); struck != 0; struck &= struck - 1) {
            const int lane = std::countr_zero(struck);
            if (nearestLane == kMostTriangles || t[lane] < nearestT) {
                nearestT = t[lane];
                nearestLane = 4 * q + static_cast<std::size_t>(lane);
            }
        }
    }
    // The room replaces the model's hit only when strictly nearer.
    if (nearestLane != kMostTriangles && (best.kind == None || best.t > nearestT)) {
        best = {nearestT, m_laneKinds[nearestLane], m_quads[nearestLane / 4].face[nearestLane % 4]};
    }
    return best;
}
