#include "tracer/RoomPacks.h"

#include "tracer/CullingMargins.h"
#include "tracer/RoomSurfaces.h"
#include "tracer/TriangleCorners.h"

#include <algorithm>
#include <limits>

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();

template <std::size_t Width>
void setBox(BoxPackOf<Width>& boxes, std::size_t lane, Vec3 low, Vec3 high)
{
    const float lows[3] = {low.x, low.y, low.z};
    const float highs[3] = {high.x, high.y, high.z};
    for (int axis = 0; axis < 3; ++axis) {
        boxes.low[axis][lane] = lows[axis];
        boxes.high[axis][lane] = highs[axis];
    }
}

// Whether the triangle lies in a plane of constant x, y or z.
bool isAxisAligned(const TriangleCorners& corners)
{
    return (corners.p0.x == corners.p1.x && corners.p0.x == corners.p2.x) ||
           (corners.p0.y == corners.p1.y && corners.p0.y == corners.p2.y) ||
           (corners.p0.z == corners.p1.z && corners.p0.z == corners.p2.z);
}

}  // namespace

template <std::size_t Width>
RoomPacksOf<Width>::RoomPacksOf(const Scene& scene)
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

    // Per pack the box of its triangles, padded; a pack holding a sliver gets a box every ray enters.
    std::vector<Vec3> lows;
    std::vector<Vec3> highs;
    std::size_t slantedCount = 0;
    for (const RoomSurface& surface : kRoomSurfaces) {
        const TriangleList& list = scene.*surface.list;
        for (std::size_t i = 0; i < list.triangles.size(); ++i) {
            if (i % Width == 0) {
                m_packs.push_back(emptyPack<Width>());
                m_packKinds.push_back(surface.kind);
                lows.push_back({kInfinity, kInfinity, kInfinity});
                highs.push_back({-kInfinity, -kInfinity, -kInfinity});
            }
            const TriangleCorners corners = listTriangleCorners(list, i);
            setLane(m_packs.back(), static_cast<unsigned>(i % Width), corners, static_cast<std::uint32_t>(i));
            if (!isAxisAligned(corners)) {
                appendLane(m_slantedPacks, slantedCount++, corners, static_cast<std::uint32_t>(i));
            }
            Vec3& low = lows.back();
            Vec3& high = highs.back();
            if (isSliver(corners)) {
                low = {-kInfinity, -kInfinity, -kInfinity};
                high = {kInfinity, kInfinity, kInfinity};
                continue;
            }
            const float facePad = paddingFor(corners, largest);
            for (Vec3 p : {corners.p0, corners.p1, corners.p2}) {
                low = {std::min(low.x, p.x - facePad), std::min(low.y, p.y - facePad), std::min(low.z, p.z - facePad)};
                high = {std::max(high.x, p.x + facePad), std::max(high.y, p.y + facePad),
                        std::max(high.z, p.z + facePad)};
            }
        }
    }
    for (std::size_t p = 0; p < m_packs.size(); ++p) {
        if (p % Width == 0) {
            m_boxes.emplace_back();
            for (std::size_t lane = 0; lane < Width; ++lane) {
                setBox(m_boxes.back(), lane, {kInfinity, kInfinity, kInfinity}, {-kInfinity, -kInfinity, -kInfinity});
            }
        }
        setBox(m_boxes.back(), p % Width, lows[p], highs[p]);
    }
}

template class RoomPacksOf<kPackWidth>;
template class RoomPacksOf<kWidePackWidth>;
