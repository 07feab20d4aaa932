#include "tracer/RoomQuads.h"

#include "tracer/CullingMargins.h"
#include "tracer/RoomSurfaces.h"
#include "tracer/TriangleCorners.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();

void setBox(FourBoxes& boxes, std::size_t lane, Vec3 low, Vec3 high)
{
    const float lows[3] = {low.x, low.y, low.z};
    const float highs[3] = {high.x, high.y, high.z};
    for (int axis = 0; axis < 3; ++axis) {
        boxes.low[axis][lane] = lows[axis];
        boxes.high[axis][lane] = highs[axis];
    }
}

}  // namespace

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

    float largest = 0.0f;
    for (const RoomSurface& surface : kRoomSurfaces) {
        const TriangleList& list = scene.*surface.list;
        for (std::size_t i = 0; i < list.triangles.size(); ++i) {
            const TriangleCorners corners = listTriangleCorners(list, i);
            if (!isSliver(corners)) {
                largest = std::max({largest, largestMagnitude(corners.p0), largestMagnitude(corners.p1),
                                    largestMagnitude(corners.p2)});
            }
        }
    }
    m_reach = largest * kReachFactor;
    const float pad = largest * kPadShare;

    // Per quad the box of its triangles, padded; a quad holding a sliver gets a box every ray enters.
    std::vector<Vec3> lows;
    std::vector<Vec3> highs;
    for (const RoomSurface& surface : kRoomSurfaces) {
        const TriangleList& list = scene.*surface.list;
        for (std::size_t i = 0; i < list.triangles.size(); ++i) {
            if (i % 4 == 0) {
                m_quads.push_back(emptyQuad());
                m_quadKinds.push_back(surface.kind);
                lows.push_back({kInfinity, kInfinity, kInfinity});
                highs.push_back({-kInfinity, -kInfinity, -kInfinity});
            }
            const TriangleCorners corners = listTriangleCorners(list, i);
            setLane(m_quads.back(), static_cast<unsigned>(i % 4), corners, static_cast<std::uint32_t>(i));
            Vec3& low = lows.back();
            Vec3& high = highs.back();
            if (isSliver(corners)) {
                low = {-kInfinity, -kInfinity, -kInfinity};
                high = {kInfinity, kInfinity, kInfinity};
                continue;
            }
            for (Vec3 p : {corners.p0, corners.p1, corners.p2}) {
                low = {std::min(low.x, p.x - pad), std::min(low.y, p.y - pad), std::min(low.z, p.z - pad)};
                high = {std::max(high.x, p.x + pad), std::max(high.y, p.y + pad), std::max(high.z, p.z + pad)};
            }
        }
    }
    for (std::size_t q = 0; q < m_quads.size(); ++q) {
        if (q % 4 == 0) {
            m_boxes.emplace_back();
            for (std::size_t lane = 0; lane < 4; ++lane) {
                setBox(m_boxes.back(), lane, {kInfinity, kInfinity, kInfinity}, {-kInfinity, -kInfinity, -kInfinity});
            }
        }
        setBox(m_boxes.back(), q % 4, lows[q], highs[q]);
    }
}

std::optional<HitRecord> RoomQuads::withRoomSurfaces(const Ray& ray, const BoxRay& boxRay, HitRecord best) const
{
    // Lanes follow the brute-force search's order, and it keeps the first of equally near
    // triangles within a surface and the earlier of equally near surfaces: so the room's answer
    // is the nearest struck lane, the earliest at equal t. The room replaces the model's hit only
    // when strictly nearer, so a quad whose box starts beyond the best so far cannot matter.
    const QuadRay quadRay(ray.origin, ray.direction);
    // Far from the room the padding does not cover the rounding: every quad is tested.
    const bool useBoxes = largestMagnitude(ray.origin) <= m_reach;
    float bound = best.kind == None ? kInfinity : best.t;
    float nearestT = 0.0f;
    std::size_t nearestQuad = m_quads.size();
    unsigned nearestLane = 0;
    for (std::size_t group = 0; group < m_boxes.size(); ++group) {
        FloatLanes entry;
        unsigned entered = useBoxes ? boxRay.entered(m_boxes[group], bound * kEntrySlack, entry) : 0xFu;
        for (; entered != 0; entered &= entered - 1) {
            const std::size_t q = 4 * group + static_cast<std::size_t>(std::countr_zero(entered));
            if (q >= m_quads.size()) {
                break;
            }
            alignas(16) float t[4];
            unsigned nearParallel = 0;
            const unsigned struckLanes = strikeQuad(m_quads[q], quadRay, t, nearParallel);
            if (nearParallel != 0) {
                return std::nullopt;
            }
            for (unsigned struck = struckLanes; struck != 0; struck &= struck - 1) {
                const int lane = std::countr_zero(struck);
                if (nearestQuad == m_quads.size() || t[lane] < nearestT) {
                    nearestT = t[lane];
                    nearestQuad = q;
                    nearestLane = static_cast<unsigned>(lane);
                }
            }
            if (nearestQuad != m_quads.size() && nearestT < bound) {
                bound = nearestT;
            }
        }
    }
    if (nearestQuad != m_quads.size() && (best.kind == None || best.t > nearestT)) {
        best = {nearestT, m_quadKinds[nearestQuad], m_quads[nearestQuad].face[nearestLane]};
    }
    return best;
}
