#include "scene/Scene.h"
#include "tests/model3ds/ModelFile.h"
#include "tests/support/CoutCapture.h"
#include "tests/support/TempDir.h"
#include "tracer/CullingMargins.h"
#include "tracer/DirectionCells.h"
#include "tracer/FloatLanes.h"
#include "tracer/NearParallelFaces.h"
#include "tracer/TriangleCorners.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <vector>

// The faces a ray is tested on for running nearly in their planes must include every face whose
// det, as the triangle test computes it, is at most the near-parallel share of its rounding
// measure, and that the test strikes no further than the search's limit.

namespace {

using Pack = TrianglePackOf<kPackWidth>;

// Sixteen lanes of plain floats, each operation rounded as one AVX-512 lane rounds it: the index
// that the AVX-512 search reads, checked on any processor.
struct SixteenLanes {
    static constexpr unsigned kCount = 16;
    std::array<float, kCount> value;

    explicit SixteenLanes(float each) { value.fill(each); }
    static SixteenLanes load(const float* lanes)
    {
        SixteenLanes loaded(0.0f);
        std::copy(lanes, lanes + kCount, loaded.value.begin());
        return loaded;
    }
};

struct SixteenMask {
    std::array<bool, SixteenLanes::kCount> set;
};

template <typename Operation>
SixteenLanes eachLane(SixteenLanes a, SixteenLanes b, Operation operation)
{
    for (unsigned i = 0; i < SixteenLanes::kCount; ++i) {
        a.value[i] = operation(a.value[i], b.value[i]);
    }
    return a;
}

SixteenLanes operator+(SixteenLanes a, SixteenLanes b) { return eachLane(a, b, std::plus<float>()); }
SixteenLanes operator-(SixteenLanes a, SixteenLanes b) { return eachLane(a, b, std::minus<float>()); }
SixteenLanes operator*(SixteenLanes a, SixteenLanes b) { return eachLane(a, b, std::multiplies<float>()); }

SixteenMask operator<=(SixteenLanes a, SixteenLanes b)
{
    SixteenMask mask{};
    for (unsigned i = 0; i < SixteenLanes::kCount; ++i) {
        mask.set[i] = a.value[i] <= b.value[i];
    }
    return mask;
}

SixteenMask both(SixteenMask a, SixteenMask b)
{
    for (unsigned i = 0; i < SixteenLanes::kCount; ++i) {
        a.set[i] = a.set[i] && b.set[i];
    }
    return a;
}

unsigned laneBits(SixteenMask mask)
{
    unsigned bits = 0;
    for (unsigned i = 0; i < SixteenLanes::kCount; ++i) {
        bits |= mask.set[i] ? 1u << i : 0u;
    }
    return bits;
}

struct IndexedMesh {
    LMesh mesh;
    std::vector<std::uint32_t> faces;  // the faces a tree would hold: none degenerate
    std::vector<Pack> packs;           // the same faces, for the test's own det
    float reach = 0.0f;                // as the tree's: rays from within it are searched
};

IndexedMesh indexedMesh(const std::filesystem::path& path)
{
    CoutCapture quiet;
    const Scene scene(path.string());
    IndexedMesh indexed;
    if (!scene.hasModelMesh()) {
        return indexed;
    }
    indexed.mesh = scene.modelMesh();
    for (std::size_t face = 0; face < indexed.mesh.m_faceIndices.size(); ++face) {
        const TriangleCorners corners = meshTriangleCorners(indexed.mesh, face);
        if (!isSliver(corners)) {
            appendLane(indexed.packs, indexed.faces.size(), corners, static_cast<std::uint32_t>(face));
            indexed.faces.push_back(static_cast<std::uint32_t>(face));
            for (Vec3 p : {corners.p0, corners.p1, corners.p2}) {
                indexed.reach = std::max(indexed.reach, largestMagnitude(p) * kReachFactor);
            }
        }
    }
    return indexed;
}

template <std::size_t Width>
NearParallelFacesOf<Width> indexOf(const IndexedMesh& indexed,
                                   std::size_t mostCellEntries = NearParallelFacesOf<Width>::kMostCellEntries)
{
    return NearParallelFacesOf<Width>(indexed.mesh, indexed.faces, indexed.reach, mostCellEntries);
}

// The faces the index visits for a ray from origin searched no further than limit.
template <typename Lanes>
std::set<std::uint32_t> visitedFaces(const NearParallelFacesOf<Lanes::kCount>& index, Vec3 origin, Vec3 direction,
                                     float limit)
{
    using IndexPack = TrianglePackOf<Lanes::kCount>;
    std::set<std::uint32_t> visited;
    index.template forEachPackNearlyParallel<Lanes>(origin, direction, limit, [&visited](const IndexPack& pack) {
        for (std::uint32_t face : pack.face) {
            if (face != IndexPack::kNoFace) {
                visited.insert(face);
            }
        }
    });
    return visited;
}

// Lane lane of the pack as the test's corners.
Vec3 laneOf(const float (&point)[3][kPackWidth], unsigned lane)
{
    return {point[0][lane], point[1][lane], point[2][lane]};
}

// Whether the ray runs nearly in the plane of the pack's lane by the triangle test's det.
bool runsNearlyInPlane(const Pack& pack, unsigned lane, float det, Vec3 direction)
{
    return std::fabs(det) <=
           kNearParallelShare * roundingMeasure(laneOf(pack.edge[0], lane), laneOf(pack.edge[1], lane), direction);
}

Vec3 edge(const TriangleCorners& c, int which)
{
    return which == 0 ? c.p1 - c.p0 : which == 1 ? c.p2 - c.p0 : c.p2 - c.p1;
}

// Directions along faces' edges, along their planes and tilted out of them by a little more and
// a little less than the near-parallel limit, and in every direction at random; each at three
// scales.
std::vector<Vec3> testDirections(const IndexedMesh& indexed, std::size_t faceStride, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> spread(-1.0f, 1.0f);
    std::vector<Vec3> directions;
    for (std::size_t i = 0; i < indexed.faces.size(); i += faceStride) {
        const TriangleCorners c = meshTriangleCorners(indexed.mesh, indexed.faces[i]);
        const Vec3 normal = normalize(cross(c.p1 - c.p0, c.p2 - c.p0));
        for (int which = 0; which < 3; ++which) {
            directions.push_back(edge(c, which));
        }
        const Vec3 along = normalize(cross(normal, Vec3{spread(random), spread(random), spread(random)}));
        for (float tilt : {0.0f, 1e-7f, -1e-6f, 1e-5f, -2e-5f, 4e-5f, -8e-5f, 1.6e-4f}) {
            directions.push_back(along + normal * tilt);
        }
    }
    for (int i = 0; i < 4000; ++i) {
        directions.push_back({spread(random), spread(random), spread(random)});
    }
    const std::size_t made = directions.size();
    for (float scale : {1e-9f, 3e8f}) {
        for (std::size_t i = 0; i < made; ++i) {
            directions.push_back(directions[i] * scale);
        }
    }
    return directions;
}

struct Coverage {
    std::size_t missed = 0;        // faces near-parallel by det but not visited
    std::size_t nearParallel = 0;  // (direction, face) pairs near-parallel by det
    std::size_t visited = 0;       // faces visited, over all directions
    // near-parallel pairs that the room's simpler check of det against the product of the sizes
    // would miss
    std::size_t outsideProductCheck = 0;
    std::string firstMiss;
};

// The faces that an index of Lanes::kCount wide packs visits, against the faces the triangle
// test's det calls near-parallel (found on the mesh's own packs).
template <typename Lanes>
Coverage coverage(const IndexedMesh& indexed, const NearParallelFacesOf<Lanes::kCount>& index,
                  const std::vector<Vec3>& directions)
{
    Coverage result;
    for (const Vec3 direction : directions) {
        if (!(largestMagnitude(direction) > 0.0f)) {
            continue;
        }
        // Unbounded, the origin does not matter.
        const std::set<std::uint32_t> visited =
            visitedFaces<Lanes>(index, {0.0f, 0.0f, 0.0f}, direction, std::numeric_limits<float>::infinity());
        result.visited += visited.size();
        const PackRay<PairedLanes> ray({0.0f, 0.0f, 0.0f}, direction);
        for (const Pack& pack : indexed.packs) {
            alignas(kPackWidth * sizeof(float)) float det[kPackWidth];
            packDet(pack, ray).store(det);
            const unsigned byProduct = runsNearlyInPlanes(pack, ray);
            for (unsigned lane = 0; lane < kPackWidth; ++lane) {
                const std::uint32_t face = pack.face[lane];
                if (face == Pack::kNoFace || !runsNearlyInPlane(pack, lane, det[lane], direction)) {
                    continue;
                }
                ++result.nearParallel;
                result.outsideProductCheck += ((byProduct >> lane) & 1u) == 0;
                if (visited.count(face) == 0 && result.missed++ == 0) {
                    result.firstMiss = "face " + std::to_string(face) + ", direction (" + std::to_string(direction.x) +
                                       ", " + std::to_string(direction.y) + ", " + std::to_string(direction.z) + ")";
                }
            }
        }
    }
    return result;
}

void expectCovered(const std::filesystem::path& path, std::size_t faceStride)
{
    const IndexedMesh indexed = indexedMesh(path);
    if (indexed.faces.empty()) {
        return;
    }
    const std::vector<Vec3> directions = testDirections(indexed, faceStride, 7);
    const Coverage eight = coverage<PairedLanes>(indexed, indexOf<kPackWidth>(indexed), directions);
    const Coverage sixteen = coverage<SixteenLanes>(indexed, indexOf<kWidePackWidth>(indexed), directions);
    for (const Coverage* result : {&eight, &sixteen}) {
        EXPECT_EQ(result->missed, 0u) << "first: " << result->firstMiss;
        EXPECT_EQ(result->outsideProductCheck, 0u);
        // The directions made along faces do run nearly in their planes.
        EXPECT_GT(result->nearParallel, indexed.faces.size() / faceStride);
        // And the index is no list of every face: far fewer are tested than there are.
        EXPECT_LT(result->visited, directions.size() * indexed.faces.size() / 10 + directions.size() * 8);
    }
}

struct Graze {
    Vec3 origin;
    Vec3 direction;
    bool atRandom = false;  // not made along a face
};

// Rays that graze faces: from origins a little off a face's plane, or in it, at two distances,
// towards the face's centre, parallel to its plane, and across the plane halfway there. Then
// rays in every direction from origins around the model.
std::vector<Graze> grazingRays(const IndexedMesh& indexed, std::size_t faceStride, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> spread(-1.0f, 1.0f);
    const float size = indexed.reach / kReachFactor;
    std::vector<Graze> rays;
    for (std::size_t i = 0; i < indexed.faces.size(); i += faceStride) {
        const TriangleCorners c = meshTriangleCorners(indexed.mesh, indexed.faces[i]);
        const Vec3 centre = (c.p0 + c.p1 + c.p2) * (1.0f / 3.0f);
        const Vec3 normal = normalize(cross(c.p1 - c.p0, c.p2 - c.p0));
        const Vec3 along = normalize(cross(normal, Vec3{spread(random), spread(random), spread(random)}));
        for (float distance : {0.5f * size, 12.0f * size}) {
            for (float off : {0.0f, 1e-6f, -1e-5f, 1e-4f, -1e-3f}) {
                const Vec3 origin = centre - along * distance + normal * (off * distance);
                rays.push_back({origin, centre - origin, false});
                rays.push_back({origin, along, false});
                rays.push_back({origin, along * distance - normal * (2.0f * off * distance), false});
            }
        }
    }
    for (int i = 0; i < 2000; ++i) {
        rays.push_back({Vec3{spread(random), spread(random), spread(random)} * (2.0f * size),
                        {spread(random), spread(random), spread(random)},
                        true});
    }
    return rays;
}

struct LimitCoverage {
    std::size_t struck = 0;          // near-parallel faces struck, over all rays
    std::size_t missed = 0;          // of those, not visited when bounded by their t
    std::size_t visitedBounded = 0;  // by rays at random
    std::size_t visitedUnbounded = 0;
    std::string firstMiss;
};

// Every face that the triangle test strikes while the ray runs nearly in its plane must be
// visited when the index is bounded by that t; and for rays at random, bounded by the model's
// size, far fewer faces are visited than unbounded.
template <typename Lanes>
LimitCoverage limitCoverage(const IndexedMesh& indexed, const NearParallelFacesOf<Lanes::kCount>& index,
                            const std::vector<Graze>& rays)
{
    LimitCoverage result;
    const float size = indexed.reach / kReachFactor;
    for (const Graze& graze : rays) {
        if (!(largestMagnitude(graze.direction) > 0.0f) || !(largestMagnitude(graze.origin) <= indexed.reach)) {
            continue;
        }
        const PackRay<PairedLanes> ray(graze.origin, graze.direction);
        for (const Pack& pack : indexed.packs) {
            alignas(kPackWidth * sizeof(float)) float t[kPackWidth];
            alignas(kPackWidth * sizeof(float)) float det[kPackWidth];
            PairedLanes detLanes;
            const unsigned struck = strikePackWithDet(pack, ray, t, detLanes);
            detLanes.store(det);
            for (unsigned lane = 0; lane < kPackWidth; ++lane) {
                if (((struck >> lane) & 1u) == 0 || !runsNearlyInPlane(pack, lane, det[lane], graze.direction)) {
                    continue;
                }
                ++result.struck;
                if (visitedFaces<Lanes>(index, graze.origin, graze.direction, t[lane]).count(pack.face[lane]) == 0 &&
                    result.missed++ == 0) {
                    result.firstMiss = "face " + std::to_string(pack.face[lane]) + " at t " + std::to_string(t[lane]);
                }
            }
        }
        if (graze.atRandom) {
            result.visitedBounded += visitedFaces<Lanes>(index, graze.origin, graze.direction, size).size();
            result.visitedUnbounded +=
                visitedFaces<Lanes>(index, graze.origin, graze.direction, std::numeric_limits<float>::infinity())
                    .size();
        }
    }
    return result;
}

// Meshes of many faces in many directions are visited often at random, and the limit must then
// save most of those visits; small ones may see no visit at all.
void expectStruckFacesVisited(const std::filesystem::path& path, std::size_t faceStride, bool manyDirections)
{
    const IndexedMesh indexed = indexedMesh(path);
    if (indexed.faces.empty()) {
        return;
    }
    const std::vector<Graze> rays = grazingRays(indexed, faceStride, 5);
    const LimitCoverage eight = limitCoverage<PairedLanes>(indexed, indexOf<kPackWidth>(indexed), rays);
    const LimitCoverage sixteen = limitCoverage<SixteenLanes>(indexed, indexOf<kWidePackWidth>(indexed), rays);
    for (const LimitCoverage* result : {&eight, &sixteen}) {
        EXPECT_EQ(result->missed, 0u) << "first: " << result->firstMiss;
        // The rays made along faces do strike some of them while running nearly in their planes.
        EXPECT_GT(result->struck, indexed.faces.size() / faceStride / 4);
        if (manyDirections) {
            EXPECT_GT(result->visitedUnbounded, 1000u);
            EXPECT_LT(result->visitedBounded * 4, result->visitedUnbounded);
        } else {
            EXPECT_LE(result->visitedBounded, result->visitedUnbounded);
        }
    }
}

}  // namespace

TEST(NearParallelFaces, HoldEveryFaceTheShippedModelsDetCallsNearlyParallel)
{
    expectCovered(sourceDir() / "data" / "CrystalModel" / "Crystal.3DS", 7);
}

TEST(NearParallelFaces, HoldEveryFaceEachFixturesDetCallsNearlyParallel)
{
    ASSERT_TRUE(std::filesystem::is_directory(fixtureDir()));
    for (const std::filesystem::path& path : fixtureFiles()) {
        SCOPED_TRACE(path.filename().string());
        expectCovered(path, 3);
    }
}

TEST(NearParallelFaces, VisitEveryFaceTheShippedModelsTestStrikesNearlyParallelWithinTheLimit)
{
    expectStruckFacesVisited(sourceDir() / "data" / "CrystalModel" / "Crystal.3DS", 29, true);
}

TEST(NearParallelFaces, VisitEveryFaceEachFixturesTestStrikesNearlyParallelWithinTheLimit)
{
    ASSERT_TRUE(std::filesystem::is_directory(fixtureDir()));
    for (const std::filesystem::path& path : fixtureFiles()) {
        SCOPED_TRACE(path.filename().string());
        expectStruckFacesVisited(path, 3, false);
    }
}

TEST(NearParallelFaces, AGridOverItsLimitTestsTheFacesOfItsWidestGroupsForEveryRay)
{
    const IndexedMesh indexed = indexedMesh(sourceDir() / "data" / "CrystalModel" / "Crystal.3DS");
    ASSERT_FALSE(indexed.faces.empty());
    const NearParallelFacesOf<kPackWidth> whole = indexOf<kPackWidth>(indexed);
    EXPECT_EQ(whole.packsForEveryRayCount(), 0u);
    const std::size_t limit = whole.cellEntryCount() / 4 * 3;
    const NearParallelFacesOf<kPackWidth> limited = indexOf<kPackWidth>(indexed, limit);
    EXPECT_LE(limited.cellEntryCount(), limit);
    EXPECT_GT(limited.packsForEveryRayCount(), 0u);
    const Coverage result = coverage<PairedLanes>(indexed, limited, testDirections(indexed, 29, 11));
    EXPECT_EQ(result.missed, 0u) << "first: " << result.firstMiss;
}

TEST(DirectionCells, EveryDirectionFallsInTheDiamondInTheCellOfItsOpposite)
{
    // The corners and edges of the diamond, directions along the axes with either sign of zero,
    // and directions below, which are looked up as their opposites.
    for (const Vec3 direction : {Vec3{1.0f, 0.0f, 0.0f}, Vec3{-1.0f, 0.0f, 0.0f}, Vec3{0.0f, 1.0f, -0.0f},
                                 Vec3{0.0f, -1.0f, 0.0f}, Vec3{0.0f, 0.0f, 1.0f}, Vec3{-0.0f, -0.0f, -1.0f},
                                 Vec3{1.0f, 1.0f, -1e-30f}, Vec3{-1e-30f, 1e30f, -1e30f}, Vec3{-3.0f, 2.0f, -1.0f},
                                 Vec3{0.3f, -0.2f, 0.5f}}) {
        const float sizeSum = std::fabs(direction.x) + std::fabs(direction.y) + std::fabs(direction.z);
        const SquarePoint point = octahedralPoint(direction, sizeSum);
        EXPECT_LE(std::fabs(point.x) + std::fabs(point.y), 1.0f + 1e-6f);
        const std::uint32_t cell = directionCell(direction, sizeSum);
        EXPECT_LT(cell, kDirectionGridSide * kDirectionGridSide);
        EXPECT_EQ(directionCell(Vec3{-direction.x, -direction.y, -direction.z}, sizeSum), cell);
    }
}
