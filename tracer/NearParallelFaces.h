#pragma once

#include "maths/Vec3.h"
#include "model3ds/LMesh.h"
#include "tracer/DirectionCells.h"
#include "tracer/TrianglePack.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

// A ray that runs nearly in a face's plane gets a det that may be rounding noise, and then the
// triangle test may strike the face at any distance, far outside any box around it: a search
// that skips boxes cannot follow that. So for every ray the search tests, besides the faces in
// the boxes it enters, every face whose plane the ray's direction may run nearly parallel to and
// whose strike could still come no further than the best hit so far.
//
// "Nearly" is det at most kNearParallelShare times the face's rounding measure for the direction
// (CullingMargins.h). Faces are grouped by the direction of their normals, and each group gets a
// band: a direction whose component along the group's normal is at most band times its size (sum
// of |components|) may run nearly in the plane of one of its faces; outside the band none of them
// can. The bands are found in double with room for the rounding of det, of the normal and of the
// check in float. A grid over the directions (DirectionCells.h) lists for each cell the groups
// whose bands reach into it, so a ray checks a few groups' bands and tests the faces of those it
// lies in.
//
// Rounding noise or not, the test's t is its numerator over det, and that numerator is the
// origin's distance from the plane times the normal's length, give or take its rounding. So a
// face is struck no further than a distance limit only from origins within about limit times
// the direction's component along the normal of its plane (plus rounding); each group also
// holds the range of its planes' offsets grown by that rounding, and the search, which looks
// here after the tree and the room, skips the groups whose planes lie too far from the origin
// for the best t so far (the bound is worked out in NearParallelFaces.cpp).
template <std::size_t Width>
class NearParallelFacesOf {
public:
    using Pack = TrianglePackOf<Width>;

    // The most group entries the grid's cells hold: about 240 MB. The shipped model needs about
    // 56,000 entries; a smooth sphere of 65,000 faces needed about 6 million while the grid still
    // held the directions pointing down, so about half that now. But thin faces have wide bands,
    // and 65,000 of them in every direction would need gigabytes. The groups that fill the most
    // cells then have their faces tested for every ray instead, until the rest fit.
    static constexpr std::size_t kMostCellEntries = std::size_t{1} << 23;

    NearParallelFacesOf() = default;
    // Over the given faces of the mesh, none of them degenerate (isSliver is false), for rays from
    // within originReach of the model's origin (per coordinate).
    NearParallelFacesOf(const LMesh& mesh, const std::vector<std::uint32_t>& faces, float originReach,
                        std::size_t mostCellEntries = kMostCellEntries);

    // Calls visit(pack) for the packs of every group whose band holds the direction (finite,
    // not 0) and whose faces the ray from origin (within the reach) may strike at a t of at most
    // limit (which may be infinite). Always inlined into the search, like everything it calls
    // per ray.
    template <typename Lanes, typename Visit>
    [[gnu::always_inline]] void forEachPackNearlyParallel(Vec3 origin, Vec3 direction, float limit, Visit&& visit) const
    {
        static_assert(Lanes::kCount == Width);
        for (const Pack& pack : m_packsForEveryRay) {
            visit(pack);
        }
        if (m_cellStart.empty()) {
            return;
        }
        const float sizeSum = std::fabs(direction.x) + std::fabs(direction.y) + std::fabs(direction.z);
        const std::uint32_t cell = directionCell(direction, sizeSum);
        const std::uint32_t end = m_cellStart[cell + 1];
        const Lanes x(direction.x);
        const Lanes y(direction.y);
        const Lanes z(direction.z);
        const Lanes size(sizeSum);
        const Lanes ox(origin.x);
        const Lanes oy(origin.y);
        const Lanes oz(origin.z);
        // Infinite for an infinite limit, and then every plane is near enough.
        const Lanes limitSize(limit * sizeSum);
        const Lanes zero(0.0f);
        for (std::uint32_t b = m_cellStart[cell]; b < end; ++b) {
            const Block& block = m_blocks[b];
            const Lanes nx = Lanes::load(block.normal[0]);
            const Lanes ny = Lanes::load(block.normal[1]);
            const Lanes nz = Lanes::load(block.normal[2]);
            const Lanes allowance = Lanes::load(block.allowance);
            const Lanes along = x * nx + y * ny + z * nz;
            const Lanes bandLimit = allowance * size;
            const Lanes offset = ox * nx + oy * ny + oz * nz;
            const Lanes allowed = limitSize * allowance;
            const auto inBand = both(along <= bandLimit, zero - along <= bandLimit);
            const auto nearPlane = both(Lanes::load(block.lowOffset) - allowed <= offset,
                                        offset <= Lanes::load(block.highOffset) + allowed);
            for (unsigned lanes = laneBits(both(inBand, nearPlane)); lanes != 0; lanes &= lanes - 1) {
                const Group& group = m_groups[block.group[std::countr_zero(lanes)]];
                for (std::uint32_t pack = group.firstPack; pack < group.endPack; ++pack) {
                    visit(m_packs[pack]);
                }
            }
        }
    }

    std::size_t cellEntryCount() const { return m_cellEntryCount; }
    std::size_t packsForEveryRayCount() const { return m_packsForEveryRay.size(); }

private:
    struct Group {
        Vec3 normal;  // of unit length, as rounded to float
        float band;
        // A ray may strike a face of the group at a t of at most limit only if the offset of its
        // origin along normal lies within limit times the direction's size times allowance of
        // [lowOffset, highOffset].
        float allowance;
        float lowOffset;
        float highOffset;
        std::uint32_t firstPack;
        std::uint32_t endPack;
    };

    // The checks of up to Width groups side by side. A group's allowance is at least its band,
    // so it serves the band's check as well, which may then let a few more directions through.
    // An unused lane has allowance -1, which no direction lies in.
    struct alignas(Width * sizeof(float)) Block {
        float normal[3][Width];
        float allowance[Width];
        float lowOffset[Width];
        float highOffset[Width];
        std::uint32_t group[Width];
    };

    std::vector<Group> m_groups;
    std::vector<Pack> m_packs;             // each group's faces in packs of their own
    std::vector<Pack> m_packsForEveryRay;  // the packs of the groups left out of the grid
    std::size_t m_cellEntryCount = 0;
    // The blocks of cell c are m_blocks[m_cellStart[c]] up to m_blocks[m_cellStart[c + 1]].
    std::vector<std::uint32_t> m_cellStart;
    std::vector<Block> m_blocks;
};
