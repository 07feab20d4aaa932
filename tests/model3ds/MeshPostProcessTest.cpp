#include "model3ds/LMesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>
#include <utility>
#include <vector>

namespace {

constexpr float tolerance = 1e-6f;

void expectNear(Vec3 actual, Vec3 expected)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void expectNan(Vec3 vector) { EXPECT_TRUE(std::isnan(vector.x) && std::isnan(vector.y) && std::isnan(vector.z)); }

Vec3 positionOf(const LVertex& vertex) { return {vertex.x, vertex.y, vertex.z}; }

LMesh meshWithVertices(const std::vector<Vec3>& positions)
{
    LMesh mesh;
    mesh.resizeVertexLists(positions.size());
    for (std::size_t index = 0; index < positions.size(); ++index) {
        mesh.m_vertices[index] = {positions[index].x, positions[index].y, positions[index].z, 1.0f};
    }
    return mesh;
}

void addFace(LMesh& mesh, std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint32_t smoothingGroup)
{
    mesh.m_faces.push_back({a, b, c, smoothingGroup, {}, {}, {}, 0});
    mesh.m_faceIndices.push_back({0, 0, 0});
}

void expectCorners(const LFace& face, std::uint16_t a, std::uint16_t b, std::uint16_t c)
{
    EXPECT_EQ(face.a, a);
    EXPECT_EQ(face.b, b);
    EXPECT_EQ(face.c, c);
}

// Corner i of the cube lies at -1 or +1 on x, y and z by its bits 0, 1 and 2. Each side is a
// quad, counter-clockwise seen from outside, cut into (q0, q1, q2) and (q0, q2, q3).
struct CubeSide {
    std::array<std::uint16_t, 4> quad;
    Vec3 outward;
};

const std::array<CubeSide, 6> cubeSides{{
    {{0, 2, 3, 1}, {0.0f, 0.0f, -1.0f}},
    {{4, 5, 7, 6}, {0.0f, 0.0f, 1.0f}},
    {{0, 4, 6, 2}, {-1.0f, 0.0f, 0.0f}},
    {{1, 3, 7, 5}, {1.0f, 0.0f, 0.0f}},
    {{0, 1, 5, 4}, {0.0f, -1.0f, 0.0f}},
    {{2, 6, 7, 3}, {0.0f, 1.0f, 0.0f}},
}};

Vec3 cubeCorner(std::size_t corner)
{
    const auto coordinate = [corner](int bit) { return (corner >> bit & 1) != 0 ? 1.0f : -1.0f; };
    return {coordinate(0), coordinate(1), coordinate(2)};
}

// The corners of face i, the triangles of side i / 2 in order.
std::array<std::uint16_t, 3> cubeFaceCorners(std::size_t face)
{
    const auto& quad = cubeSides[face / 2].quad;
    if (face % 2 == 0) {
        return {quad[0], quad[1], quad[2]};
    }
    return {quad[0], quad[2], quad[3]};
}

LMesh cube(const std::array<std::uint32_t, 6>& sideWords)
{
    std::vector<Vec3> corners;
    for (std::size_t corner = 0; corner < 8; ++corner) {
        corners.push_back(cubeCorner(corner));
    }
    LMesh mesh = meshWithVertices(corners);
    for (std::size_t face = 0; face < 12; ++face) {
        const auto faceCorners = cubeFaceCorners(face);
        addFace(mesh, faceCorners[0], faceCorners[1], faceCorners[2], sideWords[face / 2]);
    }
    return mesh;
}

// Per corner, the sum of the outward normals of the triangles using it, worked out by hand
// from the cut of each side (a quad's q0 and q2 are in both of its triangles), normalised.
void expectSmoothCubeNormals(const LMesh& mesh)
{
    const float third = 1.0f / std::sqrt(3.0f);
    const float sixth = 1.0f / std::sqrt(6.0f);
    const std::array<Vec3, 8> expected{{
        {-third, -third, -third},
        {2.0f * sixth, -sixth, -sixth},
        {-sixth, 2.0f * sixth, -sixth},
        {sixth, sixth, -2.0f * sixth},
        {-sixth, -sixth, 2.0f * sixth},
        {sixth, -2.0f * sixth, sixth},
        {-2.0f * sixth, sixth, sixth},
        {third, third, third},
    }};
    ASSERT_EQ(mesh.m_normals.size(), 8u);
    for (std::size_t corner = 0; corner < 8; ++corner) {
        SCOPED_TRACE(corner);
        expectNear(mesh.m_normals[corner], expected[corner]);
    }
}

}  // namespace

TEST(MeshPostProcess, RigidMatrixMovesVerticesOnceAndBecomesIdentity)
{
    LMesh mesh = meshWithVertices({{1.0f, 2.0f, 3.0f}});
    // A quarter turn about z (x goes to y) followed by a move by (10, 20, 30).
    const float rows[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1};
    std::copy(std::begin(rows), std::end(rows), mesh.m_localMatrix.m);

    mesh.transformVertices();
    mesh.transformVertices();

    const LVertex& vertex = mesh.m_vertices[0];
    EXPECT_EQ(vertex.x, 8.0f);
    EXPECT_EQ(vertex.y, 21.0f);
    EXPECT_EQ(vertex.z, 33.0f);
    EXPECT_EQ(vertex.w, 1.0f);
    for (std::size_t index = 0; index < 16; ++index) {
        EXPECT_EQ(mesh.m_localMatrix.m[index], index % 5 == 0 ? 1.0f : 0.0f) << index;
    }
}

TEST(MeshPostProcess, ProjectiveMatrixDividesByTUnlessItIsZero)
{
    LMesh mesh = meshWithVertices({{2.0f, 4.0f, 8.0f}, {3.0f, 5.0f, 0.0f}});
    // Identity in x, y and z, and t = z.
    const float rows[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0};
    std::copy(std::begin(rows), std::end(rows), mesh.m_localMatrix.m);

    mesh.transformVertices();

    expectNear(positionOf(mesh.m_vertices[0]), {0.25f, 0.5f, 1.0f});
    expectNear(positionOf(mesh.m_vertices[1]), {3.0f, 5.0f, 0.0f});
    EXPECT_EQ(mesh.m_vertices[1].w, 1.0f);
}

TEST(MeshPostProcess, CubeWithSixSmoothingGroupsGetsOneVertexPerCornerAndSide)
{
    LMesh mesh = cube({1, 2, 4, 8, 16, 32});
    mesh.calcNormals(true);

    ASSERT_EQ(mesh.m_vertices.size(), 24u);
    EXPECT_EQ(mesh.m_normals.size(), 24u);
    EXPECT_EQ(mesh.m_texCoords.size(), 24u);
    EXPECT_EQ(mesh.m_tangents.size(), 24u);
    EXPECT_EQ(mesh.m_binormals.size(), 24u);
    ASSERT_EQ(mesh.m_faces.size(), 12u);
    ASSERT_EQ(mesh.m_faceIndices.size(), 12u);

    std::map<std::uint16_t, std::size_t> sideOfVertex;
    std::map<std::uint16_t, std::pair<std::size_t, std::size_t>> firstUseOfCorner;
    for (std::size_t faceNumber = 0; faceNumber < 12; ++faceNumber) {
        SCOPED_TRACE(faceNumber);
        const LFace& face = mesh.m_faces[faceNumber];
        const std::size_t side = faceNumber / 2;
        expectNear(face.normal, cubeSides[side].outward);

        const std::array<std::uint16_t, 3> corners{face.a, face.b, face.c};
        const auto originalCorners = cubeFaceCorners(faceNumber);
        for (std::size_t slot = 0; slot < 3; ++slot) {
            const std::uint16_t vertex = corners[slot];
            ASSERT_LT(vertex, 24u);
            expectNear(positionOf(mesh.m_vertices[vertex]), cubeCorner(originalCorners[slot]));
            expectNear(mesh.m_normals[vertex], cubeSides[side].outward);
            EXPECT_EQ(sideOfVertex.try_emplace(vertex, side).first->second, side);
            firstUseOfCorner.try_emplace(originalCorners[slot], faceNumber, slot);
        }

        EXPECT_EQ(mesh.m_faceIndices[faceNumber].a, face.a);
        EXPECT_EQ(mesh.m_faceIndices[faceNumber].b, face.b);
        EXPECT_EQ(mesh.m_faceIndices[faceNumber].c, face.c);
    }
    EXPECT_EQ(sideOfVertex.size(), 24u);

    // Where a corner is used first, it is still used under its own number.
    for (const auto& [corner, use] : firstUseOfCorner) {
        const LFace& face = mesh.m_faces[use.first];
        const std::array<std::uint16_t, 3> corners{face.a, face.b, face.c};
        EXPECT_EQ(corners[use.second], corner);
    }
}

TEST(MeshPostProcess, CubeSmoothedAsOneKeepsItsCornersAndAveragesTheSides)
{
    LMesh oneGroup = cube({1, 1, 1, 1, 1, 1});
    oneGroup.calcNormals(true);
    EXPECT_EQ(oneGroup.m_vertices.size(), 8u);
    expectSmoothCubeNormals(oneGroup);

    LMesh groupsIgnored = cube({1, 2, 4, 8, 16, 32});
    groupsIgnored.calcNormals(false);
    EXPECT_EQ(groupsIgnored.m_vertices.size(), 8u);
    expectSmoothCubeNormals(groupsIgnored);
    ASSERT_EQ(groupsIgnored.m_faceIndices.size(), 12u);
    EXPECT_EQ(groupsIgnored.m_faceIndices[11].a, 2);
    EXPECT_EQ(groupsIgnored.m_faceIndices[11].b, 7);
    EXPECT_EQ(groupsIgnored.m_faceIndices[11].c, 3);
}

TEST(MeshPostProcess, OnlyEqualWordsShareAVertex)
{
    // Words 1 and 3 share a bit but are still two groups; 0 groups with 0.
    LMesh sharingBits = meshWithVertices(std::vector<Vec3>(4, Vec3{}));
    addFace(sharingBits, 0, 1, 2, 1);
    addFace(sharingBits, 0, 2, 3, 3);
    sharingBits.calcNormals(true);
    EXPECT_EQ(sharingBits.m_vertices.size(), 6u);
    expectCorners(sharingBits.m_faces[0], 0, 1, 2);
    expectCorners(sharingBits.m_faces[1], 4, 5, 3);

    LMesh zeroWords = meshWithVertices(std::vector<Vec3>(4, Vec3{}));
    addFace(zeroWords, 0, 1, 2, 0);
    addFace(zeroWords, 0, 2, 3, 0);
    zeroWords.calcNormals(true);
    EXPECT_EQ(zeroWords.m_vertices.size(), 4u);
}

TEST(MeshPostProcess, GroupsAreNumberedByTheirFirstFaceAroundEachVertex)
{
    // A fan around vertex 0 with words 5, 2, 5, 7. Vertex 0 keeps the faces of word 5 and
    // gives 6 and 7 to words 2 and 7; then rim vertices 2, 3 and 4 are split in turn.
    LMesh fan = meshWithVertices(std::vector<Vec3>(6, Vec3{}));
    addFace(fan, 0, 1, 2, 5);
    addFace(fan, 0, 2, 3, 2);
    addFace(fan, 0, 3, 4, 5);
    addFace(fan, 0, 4, 5, 7);
    fan.calcNormals(true);

    EXPECT_EQ(fan.m_vertices.size(), 11u);
    expectCorners(fan.m_faces[0], 0, 1, 2);
    expectCorners(fan.m_faces[1], 6, 8, 3);
    expectCorners(fan.m_faces[2], 0, 9, 4);
    expectCorners(fan.m_faces[3], 7, 10, 5);
}

TEST(MeshPostProcess, SplittingStopsAtTheLastSixteenBitVertexNumber)
{
    // Vertex 1000 meets four groups but only two more vertex numbers fit.
    constexpr std::uint16_t centre = 1000;
    LMesh mesh;
    mesh.resizeVertexLists(65534);
    // The two rim corners of each face around the centre, which lies at the origin.
    const std::array<std::pair<Vec3, Vec3>, 4> rims{{
        {{1, 0, 0}, {0, 1, 0}},  // normal +z
        {{0, 0, 1}, {1, 0, 0}},  // normal +y
        {{0, 1, 0}, {1, 0, 0}},  // normal -z
        {{0, 1, 0}, {0, 0, 1}},  // normal +x
    }};
    for (std::uint16_t face = 0; face < 4; ++face) {
        const auto [first, second] = rims[face];
        mesh.m_vertices[2 * face] = {first.x, first.y, first.z, 1.0f};
        mesh.m_vertices[2 * face + 1] = {second.x, second.y, second.z, 1.0f};
        addFace(mesh, centre, 2 * face, 2 * face + 1, face + 1);
    }

    mesh.calcNormals(true);

    ASSERT_EQ(mesh.m_vertices.size(), 65536u);
    ASSERT_EQ(mesh.m_normals.size(), 65536u);
    EXPECT_EQ(mesh.m_faces[0].a, centre);
    EXPECT_EQ(mesh.m_faces[1].a, 65534);
    EXPECT_EQ(mesh.m_faces[2].a, 65535);
    EXPECT_EQ(mesh.m_faces[3].a, centre);
    EXPECT_EQ(mesh.m_faceIndices[3].a, centre);
    const float halfRoot2 = 1.0f / std::sqrt(2.0f);
    expectNear(mesh.m_normals[centre], {halfRoot2, 0.0f, halfRoot2});
    expectNear(mesh.m_normals[65534], {0.0f, 1.0f, 0.0f});
    expectNear(mesh.m_normals[65535], {0.0f, 0.0f, -1.0f});
}

TEST(MeshPostProcess, TextureSpaceOfATexturedQuad)
{
    // A 2 x 1 quad in the xy plane with u running along y and v along x.
    LMesh quad = meshWithVertices({{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {0, 1, 0}});
    quad.m_texCoords = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    addFace(quad, 0, 1, 2, 1);
    addFace(quad, 0, 2, 3, 1);

    quad.calcNormals(true);
    quad.calcTextureSpace();

    ASSERT_EQ(quad.m_vertices.size(), 4u);
    for (const LFace& face : quad.m_faces) {
        expectNear(face.normal, {0, 0, 1});
        expectNear(face.tangent, {0, 1, 0});
        expectNear(face.binormal, {2, 0, 0});
    }
    for (std::size_t vertex = 0; vertex < 4; ++vertex) {
        SCOPED_TRACE(vertex);
        expectNear(quad.m_normals[vertex], {0, 0, 1});
        expectNear(quad.m_tangents[vertex], {0, 1, 0});
        expectNear(quad.m_binormals[vertex], {1, 0, 0});
    }
}

TEST(MeshPostProcess, UntexturedMeshHasNanTextureSpaceButFiniteNormals)
{
    // A proper triangle, a flat one (collinear corners) and an unused vertex 6.
    LMesh mesh = meshWithVertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {5, 5, 5}});
    addFace(mesh, 0, 1, 2, 1);
    addFace(mesh, 3, 4, 5, 1);

    mesh.calcNormals(true);
    mesh.calcTextureSpace();

    for (const LFace& face : mesh.m_faces) {
        expectNan(face.tangent);
        expectNan(face.binormal);
    }
    expectNear(mesh.m_faces[1].normal, {0, 0, 0});
    for (std::size_t vertex = 0; vertex < 6; ++vertex) {
        SCOPED_TRACE(vertex);
        expectNear(mesh.m_normals[vertex], vertex < 3 ? Vec3{0, 0, 1} : Vec3{0, 0, 0});
        expectNan(mesh.m_tangents[vertex]);
        expectNan(mesh.m_binormals[vertex]);
    }
    expectNear(mesh.m_normals[6], {0, 0, 0});
    expectNear(mesh.m_tangents[6], {0, 0, 0});
    expectNear(mesh.m_binormals[6], {0, 0, 0});
}
