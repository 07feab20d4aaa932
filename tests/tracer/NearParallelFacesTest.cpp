#include "scene/Scene.h"
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
#include <random>
#include <set>
#include <string>
#include <vector>

// The faces a ray is tested on for running nearly in their planes must include every face whose
// det, as the triangle test computes it, is at most the near-parallel share of its rounding
// measure.

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
        }
    }
    return indexed;
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
    using IndexPack = TrianglePackOf<Lanes::kCount>;
    Coverage result;
    for (const Vec3 direction : directions) {
        if (!(largestMagnitude(direction) > 0.0f)) {
            continue;
        }
        std::set<std::uint32_t> visited;
        index.template forEachPackNearlyParallel<Lanes>(direction, [&visited](const IndexPack& pack) {
            for (std::uint32_t face : pack.face) {
                if (face != IndexPack::kNoFace) {
                    visited.insert(face);
                }
            }
        });
        result.visited += visited.size();
        const PackRay<PairedLanes> ray({0.0f, 0.0f, 0.0f}, direction);
        for (const Pack& pack : indexed.packs) {
            alignas(kPackWidth * sizeof(float)) float det[kPackWidth];
            packDet(pack, ray).store(det);
            const unsigned byProduct = runsNearlyInPlanes(pack, ray);
            for (unsigned lane = 0; lane < kPackWidth; ++lane) {
                const Vec3 e1{pack.edge[0][0][lane], pack.edge[0][1][lane], pack.edge[0][2][lane]};
                const Vec3 e2{pack.edge[1][0][lane], pack.edge[1][1][lane], pack.edge[1][2][lane]};
                const std::uint32_t face = pack.face[lane];
                if (face == Pack::kNoFace ||
                    !(std::fabs(det[lane]) <= kNearParallelShare * roundingMeasure(e1, e2, direction))) {
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
    const Coverage eight =
        coverage<PairedLanes>(indexed, NearParallelFacesOf<kPackWidth>(indexed.mesh, indexed.faces), directions);
    const Coverage sixteen =
        coverage<SixteenLanes>(indexed, NearParallelFacesOf<kWidePackWidth>(indexed.mesh, indexed.faces), directions);
    for (const Coverage* result : {&eight, &sixteen}) {
        EXPECT_EQ(result->missed, 0u) << "first: " << result->firstMiss;
        EXPECT_EQ(result->outsideProductCheck, 0u);
        // The directions made along faces do run nearly in their planes.
        EXPECT_GT(result->nearParallel, indexed.faces.size() / faceStride);
        // And the index is no list of every face: far fewer are tested than there are.
        EXPECT_LT(result->visited, directions.size() * indexed.faces.size() / 10 + directions.size() * 8);
    }
}

}  // namespace

TEST(NearParallelFaces, HoldEveryFaceTheShippedModelsDetCallsNearlyParallel)
{
    expectCovered(sourceDir() / "data" / "CrystalModel" / "Crystal.3DS", 7);
}

TEST(NearParallelFaces, HoldEveryFaceEachFixturesDetCallsNearlyParallel)
{
    const std::filesystem::path folder = sourceDir() / "tests" / "model3ds" / "fixtures";
    ASSERT_TRUE(std::filesystem::is_directory(folder));
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        expectCovered(entry.path(), 3);
    }
}

TEST(NearParallelFaces, AGridOverItsLimitTestsTheFacesOfItsWidestGroupsForEveryRay)
{
    const IndexedMesh indexed = indexedMesh(sourceDir() / "data" / "CrystalModel" / "Crystal.3DS");
    ASSERT_FALSE(indexed.faces.empty());
    const NearParallelFacesOf<kPackWidth> whole(indexed.mesh, indexed.faces);
    EXPECT_EQ(whole.packsForEveryRayCount(), 0u);
    const std::size_t limit = whole.cellEntryCount() / 4 * 3;
    const NearParallelFacesOf<kPackWidth> limited(indexed.mesh, indexed.faces, limit);
    EXPECT_LE(limited.cellEntryCount(), limit);
    EXPECT_GT(limited.packsForEveryRayCount(), 0u);
    const Coverage result = coverage<PairedLanes>(indexed, limited, testDirections(indexed, 29, 11));
    EXPECT_EQ(result.missed, 0u) << "first: " << result.firstMiss;
}

TEST(DirectionCells, EveryDirectionFallsInTheGrid)
{
    // The corners and edges of the square, where the fold meets itself, and directions along
    // the axes with either sign of zero.
    for (const Vec3 direction : {Vec3{1.0f, 0.0f, 0.0f}, Vec3{-1.0f, 0.0f, 0.0f}, Vec3{0.0f, 1.0f, -0.0f},
                                 Vec3{0.0f, -1.0f, 0.0f}, Vec3{0.0f, 0.0f, 1.0f}, Vec3{-0.0f, -0.0f, -1.0f},
                                 Vec3{1.0f, 1.0f, -1e-30f}, Vec3{-1e-30f, 1e30f, -1e30f}, Vec3{-3.0f, 2.0f, -1.0f}}) {
        const float sizeSum = std::fabs(direction.x) + std::fabs(direction.y) + std::fabs(direction.z);
        const SquarePoint point = octahedralPoint(direction, sizeSum);
        EXPECT_LE(std::fabs(point.x), 1.0f);
        EXPECT_LE(std::fabs(point.y), 1.0f);
        // Below, the point lies outside the diamond |x| + |y| <= 1, above inside it.
        if (direction.z < 0.0f) {
            EXPECT_GE(std::fabs(point.x) + std::fabs(point.y), 1.0f - 1e-6f);
        } else {
            EXPECT_LE(std::fabs(point.x) + std::fabs(point.y), 1.0f + 1e-6f);
        }
        EXPECT_LT(directionCell(direction, sizeSum), kDirectionGridSide * kDirectionGridSide);
    }
}
