#pragma once

#include "maths/Ray.h"
#include "scene/Scene.h"
#include "tracer/FourBoxes.h"
#include "tracer/HitRecord.h"
#include "tracer/TriangleQuad.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The room's triangles packed into TriangleQuads for the accelerated search, in the brute-force
// search's order: surface by surface as kRoomSurfaces lists them, each surface's triangles in
// storage order, each quad within one surface. A quad is tested only when the ray enters its
// padded box before the best hit so far. Built once from the scene, read-only afterwards.
class RoomQuads {
public:
    RoomQuads() = default;
    explicit RoomQuads(const Scene& scene);

    // Whether the room was small enough to pack; if not, it is searched by brute force.
    bool holdsRoom() const { return m_holdsRoom; }
    // best, replaced by the room's nearest hit exactly as the brute-force search replaces it;
    // boxRay made from the same ray. Nothing when the ray runs nearly in the plane of a room
    // triangle it met (see ModelBvh.h): brute force must answer it.
    std::optional<HitRecord> withRoomSurfaces(const Ray& ray, const BoxRay& boxRay, HitRecord best) const;

    // The room as the scene builds it has 12 triangles; larger test rooms are left unpacked.
    static constexpr std::size_t kMostTriangles = 64;

private:
    std::vector<TriangleQuad> m_quads;  // face holds the triangle's index within its surface
    std::vector<FourBoxes> m_boxes;     // quad q's box is lane q % 4 of m_boxes[q / 4]
    std::vector<HitKind> m_quadKinds;
    // Rays from within this distance of the world's origin (per coordinate) may skip quads.
    float m_reach = 0.0f;
    bool m_holdsRoom = false;
};
