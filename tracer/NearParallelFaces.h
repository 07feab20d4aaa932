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
// the boxes it enters, every face whose plane the ray's direction may run nearly parallel to.
//
// "Nearly" is det at most kNearParallelShare times the face's rounding measure for the direction
// (CullingMargins.h). Faces are grouped by the direction of their normals, and each group gets a
// band: a direction whose component along the group's normal is at most band times its size (sum
// of |components|) may run nearly in the plane of one of its faces; outside the band none of them
// can. The bands are found in double with room for the rounding of det, of the normal and of the
// check in float. A grid over the directions (DirectionCells.h) lists for each cell the groups
// whose bands reach into it, so a ray checks a few groups' bands and tests the faces of those it
// lies in.
template <std::size_t Width>
class NearParallelFacesOf {
public:
    using Pack = TrianglePackOf<Width>;

    // The most group entries the grid's cells hold: about 340 MB. The shipped model needs about
    // 100,000 entries, a smooth sphere of 65,000 faces about 6 million, but thin faces have wide
    // bands, and 65,000 of them in every direction would need gigabytes. The groups that fill the
    // most cells then have their faces tested for every ray instead, until the rest fit.
    static constexpr std::size_t kMostCellEntries = std::size_t{1} << 24;

    NearParallelFacesOf() = default;
    // Over the given faces of the mesh, none of them degenerate (isSliver is false).
    NearParallelFacesOf(const LMesh& mesh, const std::vector<std::uint32_t>& faces,
                        std::size_t mostCellEntries = kMostCellEntries);

    // Calls visit(pack) for the packs of every group whose band holds the direction (finite,
    // not 0). Always inlined into the search, like everything it calls per ray.
    template <typename Lanes, typename Visit>
    [[gnu::always_inline]] void forEachPackNearlyParallel(Vec3 direction, Visit&& visit) const
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
        const Lanes zero(0.0f);
        for (std::uint32_t b = m_cellStart[cell]; b < end; ++b) {
            const Block& block = m_blocks[b];
            const Lanes along =
                x * Lanes::load(block.normal[0]) + y * Lanes::load(block.normal[1]) + z * Lanes::load(block.normal[2]);
            const Lanes limit = Lanes::load(block.band) * size;
            for (unsigned lanes = laneBits(both(along <= limit, zero - along <= limit)); lanes != 0;
                 lanes &= lanes - 1) {
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
        std::uint32_t firstPack;
        std::uint32_t endPack;
    };

    // The normals and bands of up to Width groups side by side; an unused lane has band -1,
    // which no direction lies in.
    struct alignas(Width * sizeof(float)) Block {
        float normal[3][Width];
        float band[Width];
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
