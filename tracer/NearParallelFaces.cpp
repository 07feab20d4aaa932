#include "tracer/NearParallelFaces.h"

#include "tracer/CullingMargins.h"
#include "tracer/TriangleCorners.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <numeric>
#include <tuple>

namespace {

struct Double3 {
    double x;
    double y;
    double z;
};

double dot(Double3 a, Double3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Double3 widen(Vec3 v) { return {v.x, v.y, v.z}; }

// det, computed in float, is off by at most 5 float roundings (2^-24 each) times |e1|inf |d| |e2|,
// under 11 roundings times the rounding measure (CullingMargins.h): 11 / 4096 of the near-parallel
// limit. Room for that and for the rounding of the limit itself.
constexpr double kLimitRoom = 1.0625;
// The float check of a direction against a band rounds its dot product and the band's product
// with the size by a few float epsilons of the size; this is 16 of them.
constexpr double kCheckRoom = 1.0 / 1048576.0;
// Cells grow by this much on every side, far beyond the rounding of octahedralPoint...
constexpr double kCellMargin = 1.0 / 1048576.0;
// ... and bands by this much, for the bit of a cell's margin that lies across a quadrant's edge,
// where the map's linear piece changes, or past the diamond's edge, which rounding may cross, and
// g by at most a few margins.
constexpr double kEdgeRoom = 8.0 * kCellMargin;
// A face joins a group whose normal lies this close to its own, widening the group's band by the
// distance; the search is sought among the groups whose normals round alike to kBucketStep.
constexpr double kGroupReach = 1.0 / 65536.0;
constexpr double kBucketStep = 1.0 / 1024.0;

struct FacePlane {
    Double3 normal;  // of unit length
    double band;
    double normalLength;  // |e1 x e2|
    double slant;         // |e1| |e2| / |e1 x e2|, with |e| the sum of |components|
};

// The normal and band of a face as the triangle test sees it: its edges as the packs hold them,
// in float.
FacePlane facePlane(const TriangleCorners& corners)
{
    const Vec3 edge1 = corners.p1 - corners.p0;
    const Vec3 edge2 = corners.p2 - corners.p0;
    const Double3 e1 = widen(edge1);
    const Double3 e2 = widen(edge2);
    const Double3 normal{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    const double size = std::sqrt(dot(normal, normal));
    // The rounding measure per unit of the direction's size is largest for a direction along an
    // axis, whose largest component is its size.
    const double measure = roundingMeasure(edge1, edge2, {1.0f, 0.0f, 0.0f});
    const auto sumOfSizes = [](Double3 v) { return std::fabs(v.x) + std::fabs(v.y) + std::fabs(v.z); };
    return {{normal.x / size, normal.y / size, normal.z / size},
            double{kNearParallelShare} * kLimitRoom * measure / size,
            size,
            sumOfSizes(e1) * sumOfSizes(e2) / size};
}

// How near its planes a ray's origin must lie for the test to strike a face of a group at a t of
// at most L. With s = origin - p0, N = e1 x e2 and d the direction, as the test computes them in
// float, t = (s x e1) . e2 / det, where exactly (s x e1) . e2 = s . N and det = -d . N. Each is
// off by at most 5 roundings (eps = 2^-24 each) of its terms, whose sizes sum to at most
// |s|inf |e1| |e2| and |d|inf |e1| |e2| (|e| the sum of |components|); s is off by one rounding of
// o - p0, and t by its division's. So a strike at t <= L needs
//   |(o - p0) . N| <= L (1 + 2^-23) (|d . N| + 8 eps |d|inf |e1| |e2|) + 9.1 eps |o - p0|inf |e1| |e2|.
// Over |N|, with the face's unit normal n within rho of the group's g and slant = |e1| |e2| / |N|:
//   |o . g - p0 . g| <= L (1 + 2^-23) (|d . g| + rho |d| + 8 eps slant |d|inf)
//                       + (9.1 eps slant + rho) |o - p0|.
// Only directions in the band need this; for them |d . g| as the search computes it is at most
// band |d|, and exactly at most 3 roundings of |d| more (|d| the sum of |components|, which the
// search computes as well). The first term is then at most L |d| allowance (planeAllowance). The
// second, with |o|inf at most the reach and |p0|inf at most the group's, is part of the room by
// which the range of the group's offsets p0 . g grows (offsetRoom), with the rounding of the
// search's o . g and comparisons, and with room for products that underflow.
constexpr double kEpsilon = 1.0 / 16777216.0;
constexpr double kSqrt3 = 1.7320508075688772;
// Far above what products rounding below the smallest normal float (2^-126) lose, for faces and
// directions that are no slivers and not too short.
constexpr double kUnderflowLoss = 16.0 * 1.4012984643248171e-45;
constexpr double kUnderflowRoom = 7.52316384526264e-37;  // 2^-120

struct GroupReach {
    double band = 0.0;
    double rho = 0.0;
    double slant = 0.0;
    double smallestNormalLength = std::numeric_limits<double>::infinity();
    double largestCorner = 0.0;  // |p0|inf
    double lowOffset = std::numeric_limits<double>::infinity();
    double highOffset = -std::numeric_limits<double>::infinity();
};

float roundedUp(double value)
{
    const auto rounded = static_cast<float>(value);
    return rounded < value ? std::nextafter(rounded, std::numeric_limits<float>::infinity()) : rounded;
}

float roundedDown(double value)
{
    const auto rounded = static_cast<float>(value);
    return rounded > value ? std::nextafter(rounded, -std::numeric_limits<float>::infinity()) : rounded;
}

float planeAllowance(const GroupReach& reach, float checkBand)
{
    const double perSize = double{checkBand} * (1.0 + kEpsilon) + 3.01 * kEpsilon + reach.rho +
                           8.0 * kEpsilon * reach.slant +
                           kUnderflowLoss / (reach.smallestNormalLength * double{kShortestDirection});
    // Room for (1 + 2^-23), the rounding of the search's limit times size times allowance, and
    // of its subtraction from the offsets.
    return roundedUp(perSize * (1.0 + 1.0 / 1024.0));
}

double offsetRoom(const GroupReach& reach, float originReach)
{
    const double largestOffset = std::max(std::fabs(reach.lowOffset), std::fabs(reach.highOffset));
    const double fromCorner = (9.1 * kEpsilon * reach.slant + reach.rho) * kSqrt3 * (originReach + reach.largestCorner);
    // The search's offset o . g in float, and the comparisons' roundings of the offsets.
    const double searchRounding =
        3.1 * kEpsilon * kSqrt3 * originReach + 4.0 * kEpsilon * (largestOffset + kSqrt3 * originReach);
    // Twice the bound: room for the terms of second order it leaves out.
    return 2.0 * (fromCorner + searchRounding + kUnderflowLoss / reach.smallestNormalLength) + kUnderflowRoom;
}

// A normal and its opposite share a band: of the two, the one whose largest component is positive.
Double3 canonical(Double3 n)
{
    const double largest = std::fabs(n.x) >= std::fabs(n.y) && std::fabs(n.x) >= std::fabs(n.z) ? n.x
                           : std::fabs(n.y) >= std::fabs(n.z)                                   ? n.y
                                                                                                : n.z;
    return largest < 0.0 ? Double3{-n.x, -n.y, -n.z} : n;
}

double distance(Double3 a, Double3 b)
{
    const Double3 apart{a.x - b.x, a.y - b.y, a.z - b.z};
    return std::sqrt(dot(apart, apart));
}

double cellLow(std::uint32_t index) { return -1.0 + 2.0 * index / kDirectionGridSide; }

// Calls visit(cell) for every cell where some direction's component along the unit normal may be
// at most band times its size: every cell, grown by kCellMargin, whose pieces inside the diamond
// (see DirectionCells.h) reach values of g = d . normal with |d| summing to 1 within band. The
// directions that the lookup turns around are in band exactly where their opposites are, so the
// cells outside the diamond are left out. A cell may be visited more than once.
template <typename Visit>
void forEachCellInBand(Double3 n, double band, Visit visit)
{
    constexpr std::uint32_t half = kDirectionGridSide / 2;
    const double reach = band + kEdgeRoom;
    for (const double sx : {-1.0, 1.0}) {
        for (const double sy : {-1.0, 1.0}) {
            // g = a x + b y + c on the diamond's quadrant, where z = 1 - |x| - |y|.
            const double a = n.x - sx * n.z;
            const double b = n.y - sy * n.z;
            const double c = n.z;
            const std::uint32_t firstColumn = sx < 0.0 ? 0 : half;
            const std::uint32_t firstRow = sy < 0.0 ? 0 : half;
            for (std::uint32_t row = firstRow; row < firstRow + half; ++row) {
                const double y0 = cellLow(row) - kCellMargin;
                const double y1 = cellLow(row + 1) + kCellMargin;
                const double nearY = std::max(0.0, std::min(std::fabs(y0), std::fabs(y1)) - 2.0 * kCellMargin);
                // The diamond's stretch of the quadrant's row, as |x|.
                const double toX = std::min(1.0, 1.0 - nearY + kCellMargin);
                const double lowBy = std::min(b * y0, b * y1) + c;
                const double highBy = std::max(b * y0, b * y1) + c;
                double low = sx < 0.0 ? -toX : 0.0;
                double high = sx < 0.0 ? 0.0 : toX;
                if (a != 0.0) {
                    // Where a x reaches down to reach - lowBy and up to -reach - highBy.
                    const double p = (reach - lowBy) / a;
                    const double q = (-reach - highBy) / a;
                    low = std::max(low, std::min(p, q));
                    high = std::min(high, std::max(p, q));
                } else if (lowBy > reach || highBy < -reach) {
                    continue;
                }
                if (!(low <= high)) {
                    continue;
                }
                const double scale = 0.5 * kDirectionGridSide;
                const double firstAt = std::ceil((low - kCellMargin + 1.0) * scale - 1.0);
                const double lastAt = std::floor((high + kCellMargin + 1.0) * scale);
                const auto first = static_cast<std::uint32_t>(std::max<double>(firstAt, firstColumn));
                const auto last = static_cast<std::uint32_t>(std::min<double>(lastAt, firstColumn + half - 1));
                for (std::uint32_t column = first; column <= last; ++column) {
                    visit(row * kDirectionGridSide + column);
                }
            }
        }
    }
}

}  // namespace

template <std::size_t Width>
NearParallelFacesOf<Width>::NearParallelFacesOf(const LMesh& mesh, const std::vector<std::uint32_t>& faces,
                                                float originReach, std::size_t mostCellEntries)
{
    if (faces.empty()) {
        return;
    }
    // Groups in order of their first face, each with its faces.
    std::map<std::tuple<long long, long long, long long>, std::vector<std::uint32_t>> groupsOfBucket;
    std::vector<Double3> groupNormals;
    std::vector<std::vector<std::uint32_t>> groupFaces;
    std::vector<FacePlane> planes;  // each face's, with its canonical normal
    for (std::uint32_t face : faces) {
        FacePlane plane = facePlane(meshTriangleCorners(mesh, face));
        plane.normal = canonical(plane.normal);
        const Double3 normal = plane.normal;
        std::vector<std::uint32_t>& bucket =
            groupsOfBucket[{std::llround(normal.x / kBucketStep), std::llround(normal.y / kBucketStep),
                            std::llround(normal.z / kBucketStep)}];
        const auto joined = std::find_if(bucket.begin(), bucket.end(), [&](std::uint32_t g) {
            return distance(groupNormals[g], normal) <= kGroupReach;
        });
        std::uint32_t group = 0;
        if (joined != bucket.end()) {
            group = *joined;
        } else {
            group = static_cast<std::uint32_t>(groupNormals.size());
            bucket.push_back(group);
            groupNormals.push_back(normal);
            groupFaces.emplace_back();
        }
        groupFaces[group].push_back(static_cast<std::uint32_t>(planes.size()));
        planes.push_back(plane);
    }

    for (std::size_t g = 0; g < groupNormals.size(); ++g) {
        const Double3 first = groupNormals[g];
        const Vec3 normal{static_cast<float>(first.x), static_cast<float>(first.y), static_cast<float>(first.z)};
        const Double3 rounded{normal.x, normal.y, normal.z};
        GroupReach reach;
        const auto firstPack = static_cast<std::uint32_t>(m_packs.size());
        std::size_t filled = 0;
        for (std::uint32_t i : groupFaces[g]) {
            const FacePlane& plane = planes[i];
            const TriangleCorners corners = meshTriangleCorners(mesh, faces[i]);
            const double rho = distance(plane.normal, rounded);
            const double offset = dot(rounded, widen(corners.p0));
            reach.band = std::max(reach.band, plane.band + rho);
            // Room for the double rounding of the distance.
            reach.rho = std::max(reach.rho, rho * (1.0 + 1e-12) + 1e-15);
            reach.slant = std::max(reach.slant, plane.slant);
            reach.smallestNormalLength = std::min(reach.smallestNormalLength, plane.normalLength);
            reach.largestCorner = std::max(reach.largestCorner, double{largestMagnitude(corners.p0)});
            reach.lowOffset = std::min(reach.lowOffset, offset);
            reach.highOffset = std::max(reach.highOffset, offset);
            appendLane(m_packs, filled++, corners, faces[i]);
        }
        const auto checkBand = std::nextafter(static_cast<float>(reach.band * (1.0 + kCheckRoom) + kCheckRoom), 1.0f);
        const double room = offsetRoom(reach, originReach);
        m_groups.push_back({normal, checkBand, planeAllowance(reach, checkBand), roundedDown(reach.lowOffset - room),
                            roundedUp(reach.highOffset + room), firstPack, static_cast<std::uint32_t>(m_packs.size())});
    }

    // Each group once in each cell its band reaches: counted, then written.
    constexpr std::uint32_t cellCount = kDirectionGridSide * kDirectionGridSide;
    constexpr std::uint32_t noGroup = 0xFFFFFFFFu;
    std::vector<std::uint32_t> lastGroup(cellCount, noGroup);
    std::vector<bool> inGrid(m_groups.size(), true);
    const auto eachCell = [&](auto visit) {
        std::fill(lastGroup.begin(), lastGroup.end(), noGroup);
        for (std::uint32_t g = 0; g < m_groups.size(); ++g) {
            if (!inGrid[g]) {
                continue;
            }
            const Vec3 normal = m_groups[g].normal;
            forEachCellInBand({normal.x, normal.y, normal.z}, m_groups[g].band, [&](std::uint32_t cell) {
                if (lastGroup[cell] != g) {
                    lastGroup[cell] = g;
                    visit(cell, g);
                }
            });
        }
    };
    std::vector<std::size_t> entries(m_groups.size(), 0);
    std::vector<std::uint32_t> counts(cellCount, 0);
    eachCell([&](std::uint32_t cell, std::uint32_t g) {
        ++entries[g];
        ++counts[cell];
    });
    m_cellEntryCount = std::accumulate(entries.begin(), entries.end(), std::size_t{0});
    if (m_cellEntryCount > mostCellEntries) {
        std::vector<std::uint32_t> widest(m_groups.size());
        std::iota(widest.begin(), widest.end(), 0u);
        std::sort(widest.begin(), widest.end(),
                  [&](std::uint32_t a, std::uint32_t b) { return entries[a] > entries[b]; });
        for (std::size_t i = 0; m_cellEntryCount > mostCellEntries; ++i) {
            const Group& group = m_groups[widest[i]];
            inGrid[widest[i]] = false;
            m_cellEntryCount -= entries[widest[i]];
            m_packsForEveryRay.insert(m_packsForEveryRay.end(), m_packs.begin() + group.firstPack,
                                      m_packs.begin() + group.endPack);
        }
        std::fill(counts.begin(), counts.end(), 0u);
        eachCell([&](std::uint32_t cell, std::uint32_t) { ++counts[cell]; });
    }
    m_cellStart.assign(cellCount + 1, 0);
    for (std::uint32_t cell = 0; cell < cellCount; ++cell) {
        m_cellStart[cell + 1] = m_cellStart[cell] + static_cast<std::uint32_t>((counts[cell] + Width - 1) / Width);
    }
    Block unused;
    for (auto& axis : unused.normal) {
        std::fill(std::begin(axis), std::end(axis), 0.0f);
    }
    std::fill(std::begin(unused.allowance), std::end(unused.allowance), -1.0f);
    std::fill(std::begin(unused.lowOffset), std::end(unused.lowOffset), 0.0f);
    std::fill(std::begin(unused.highOffset), std::end(unused.highOffset), 0.0f);
    std::fill(std::begin(unused.group), std::end(unused.group), 0u);
    m_blocks.assign(m_cellStart.back(), unused);
    std::vector<std::uint32_t> filled(cellCount, 0);
    eachCell([&](std::uint32_t cell, std::uint32_t g) {
        Block& block = m_blocks[m_cellStart[cell] + filled[cell] / Width];
        const std::size_t lane = filled[cell]++ % Width;
        block.normal[0][lane] = m_groups[g].normal.x;
        block.normal[1][lane] = m_groups[g].normal.y;
        block.normal[2][lane] = m_groups[g].normal.z;
        block.allowance[lane] = m_groups[g].allowance;
        block.lowOffset[lane] = m_groups[g].lowOffset;
        block.highOffset[lane] = m_groups[g].highOffset;
        block.group[lane] = g;
    });
}

template class NearParallelFacesOf<kPackWidth>;
template class NearParallelFacesOf<kWidePackWidth>;
