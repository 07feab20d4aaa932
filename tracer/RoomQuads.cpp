#include "tracer/RoomQuads.h"

#include "tracer/RoomSurfaces.h"
#include "tracer/TriangleCorners.h"

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
        m_surfaceCounts[surface] = static_cast<std::uint32_t>(list.triangles.size());
        for (std::size_t i = 0; i < list.triangles.size(); ++i, ++lane) {
            if (lane % 4 == 0) {
                m_quads.push_back(emptyQuad());
            }
            setLane(m_quads.back(), static_cast<unsigned>(lane % 4), listTriangleCorners(list, i),
                    static_cast<std::uint32_t>(i));
        }
    }
}

HitRecord RoomQuads::withRoomSurfaces(const Ray& ray, HitRecord best) const
{
    // Every triangle's outcome first, four at a time; then the brute-force search's choices.
    const QuadRay quadRay(ray.origin, ray.direction);
    alignas(16) float t[kMostTriangles];
    unsigned struck[kMostTriangles / 4];
    for (std::size_t q = 0; q < m_quads.size(); ++q) {
        struck[q] = strikeQuad(m_quads[q], quadRay, t + 4 * q);
    }

    std::size_t lane = 0;
    for (std::size_t surface = 0; surface < std::size(kRoomSurfaces); ++surface) {
        HitRecord nearest;
        for (std::uint32_t i = 0; i < m_surfaceCounts[surface]; ++i, ++lane) {
            if ((struck[lane / 4] & (1u << (lane % 4))) != 0 && (nearest.kind == None || t[lane] < nearest.t)) {
                nearest = {t[lane], ListHit, i};
            }
        }
        if (nearest.kind == ListHit && (best.kind == None || best.t > nearest.t)) {
            best = {nearest.t, kRoomSurfaces[surface].kind, nearest.index};
        }
    }
    return best;
}
