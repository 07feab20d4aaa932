#include "tracer/RoomPacks.h"

#include "tracer/CullingMargins.h"
#include "tracer/RoomSurfaces.h"
#include "tracer/TriangleCorners.h"

#include <algorithm>
#include <array>
#include <cmath>
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
    setClearBox(scene, lows, highs, largest * kPadShare);
}

// The model's box in world coordinates, widened so that the rays leaving its surface start
// inside, kept within the reach where the packs' padding holds, then cut back from each pack's
// padded box, grown by margin and the reach of slanting rays, on the side that keeps the most of
// it. Only the cuts matter for exactness: any box apart from the packs' boxes would do.
template <std::size_t Width>
void RoomPacksOf<Width>::setClearBox(const Scene& scene, const std::vector<Vec3>& lows, const std::vector<Vec3>& highs,
                                     float margin)
{
    if (!scene.hasModelMesh() || scene.modelMesh().m_faceIndices.empty()) {
        return;
    }
    const LMesh& mesh = scene.modelMesh();
    std::array<double, 3> low{kInfinity, kInfinity, kInfinity};
    std::array<double, 3> high{-kInfinity, -kInfinity, -kInfinity};
    const Vec3 position = scene.m_modelPos;
    for (std::size_t face = 0; face < mesh.m_faceIndices.size(); ++face) {
        const TriangleCorners corners = meshTriangleCorners(mesh, face);
        for (Vec3 p : {corners.p0, corners.p1, corners.p2}) {
            const std::array<double, 3> world{double{p.x} + position.x, double{p.y} + position.y,
                                              double{p.z} + position.z};
            for (int axis = 0; axis < 3; ++axis) {
                low[axis] = std::min(low[axis], world[axis]);
                high[axis] = std::max(high[axis], world[axis]);
            }
        }
    }
    const double widening = std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]}) / 64.0;
    for (int axis = 0; axis < 3; ++axis) {
        low[axis] = std::max(low[axis] - widening, -double{m_reach});
        high[axis] = std::min(high[axis] + widening, double{m_reach});
    }
    // Not finite (a damaged model) or empty: no clear box.
    for (int axis = 0; axis < 3; ++axis) {
        if (!(low[axis] < high[axis]) || !std::isfinite(low[axis]) || !std::isfinite(high[axis])) {
            return;
        }
    }

    // A ray that meets a room triangle at a slant may be struck where it only came within
    // kGrazingReach per unit of its distance of the padded box (CullingMargins.h); a segment in
    // the box is no longer than the box's diagonal.
    const double diagonal = std::hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
    const double clearance = margin + kGrazingReach * diagonal;
    for (std::size_t p = 0; p < lows.size(); ++p) {
        const std::array<double, 3> packLow{double{lows[p].x} - clearance, double{lows[p].y} - clearance,
                                            double{lows[p].z} - clearance};
        const std::array<double, 3> packHigh{double{highs[p].x} + clearance, double{highs[p].y} + clearance,
                                             double{highs[p].z} + clearance};
        bool overlaps = true;
        for (int axis = 0; axis < 3; ++axis) {
            overlaps = overlaps && packLow[axis] < high[axis] && low[axis] < packHigh[axis];
        }
        if (!overlaps) {
            continue;
        }
        // Of the up to six cuts that clear the pack's box, the one that keeps the largest box.
        double bestVolume = 0.0;
        std::array<double, 3> bestLow = low;
        std::array<double, 3> bestHigh = high;
        for (int axis = 0; axis < 3; ++axis) {
            for (bool keepBelow : {true, false}) {
                std::array<double, 3> cutLow = low;
                std::array<double, 3> cutHigh = high;
                if (keepBelow) {
                    cutHigh[axis] = std::min(high[axis], packLow[axis]);
                } else {
                    cutLow[axis] = std::max(low[axis], packHigh[axis]);
                }
                const double volume = (cutHigh[0] - cutLow[0]) * (cutHigh[1] - cutLow[1]) * (cutHigh[2] - cutLow[2]);
                if (cutLow[axis] < cutHigh[axis] && volume > bestVolume) {
                    bestVolume = volume;
                    bestLow = cutLow;
                    bestHigh = cutHigh;
                }
            }
        }
        if (!(bestVolume > 0.0)) {
            return;
        }
        low = bestLow;
        high = bestHigh;
    }
    // Rounded inwards, so the float box lies within the one cut here.
    m_clearLow = {std::nextafter(static_cast<float>(low[0]), kInfinity),
                  std::nextafter(static_cast<float>(low[1]), kInfinity),
                  std::nextafter(static_cast<float>(low[2]), kInfinity)};
    m_clearHigh = {std::nextafter(static_cast<float>(high[0]), -kInfinity),
                   std::nextafter(static_cast<float>(high[1]), -kInfinity),
                   std::nextafter(static_cast<float>(high[2]), -kInfinity)};
}

template class RoomPacksOf<kPackWidth>;
template class RoomPacksOf<kWidePackWidth>;
