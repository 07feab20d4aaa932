#include "tests/model3ds/ModelFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Meshes exactly as read: no post-processing.
const LMesh& loadMesh(TestImporter& model, const Bytes& bytes)
{
    model.m_postProcessLevel = -1;
    EXPECT_TRUE(model.load(bytes));
    EXPECT_EQ(model.getMeshCount(), 1u);
    return model.getMesh(0);
}

TEST(L3DSMeshes, TexCoordsBeforeVerticesAndTheLocalMatrix)
{
    TestImporter model;
    const LMesh& mesh =
        loadMesh(model, modelFile([](ChunkWriter& w) {
                     meshObject(w, "box", [&](ChunkWriter&) {
                         w.chunk(ChunkId::TexCoords, [&] {
                             w.word(4);
                             reals(w, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f});
                         });
                         vertexList(w, {{1, 2, 3}, {4, 5, 6}});
                         w.chunk(ChunkId::LocalMatrix, [&] { reals(w, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}); });
                     });
                 }));
    EXPECT_EQ(mesh.getName(), "box");
    ASSERT_EQ(mesh.m_vertices.size(), 2u);
    EXPECT_EQ(mesh.m_texCoords.size(), 2u);
    EXPECT_EQ(mesh.m_normals.size(), 2u);
    EXPECT_EQ(mesh.m_vertices[1].x, 4.0f);
    EXPECT_EQ(mesh.m_vertices[1].z, 6.0f);
    EXPECT_EQ(mesh.m_vertices[1].w, 1.0f);
    EXPECT_EQ(mesh.m_texCoords[1].u, 0.3f);
    EXPECT_EQ(mesh.m_texCoords[1].v, 0.4f);
    const float expected[16] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(mesh.m_localMatrix.m[i], expected[i]) << i;
    }

    // More coordinates than vertices: only as many as there are vertices are kept.
    TestImporter more;
    const LMesh& fewer = loadMesh(more, modelFile([](ChunkWriter& w) {
                                      meshObject(w, "fewer", [&](ChunkWriter&) {
                                          vertexList(w, {{1, 2, 3}});
                                          w.chunk(ChunkId::TexCoords, [&] {
                                              w.word(3);
                                              reals(w, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f});
                                          });
                                      });
                                  }));
    ASSERT_EQ(fewer.m_texCoords.size(), 1u);
    EXPECT_EQ(fewer.m_texCoords[0].v, 0.2f);
}

// Materials come after the object in the file and are still found; the first of a name wins.
TEST(L3DSMeshes, FacesSmoothingGroupsAndMaterials)
{
    const std::string longName = "ABCDEFGHIJKLMNOPQRSTUVWXY";
    TestImporter model;
    const LMesh& mesh = loadMesh(model, modelFile([&](ChunkWriter& w) {
                                     meshObject(w, "quads", [&](ChunkWriter&) {
                                         vertexList(w, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}});
                                         faceList(w, {{0, 1, 2}, {1, 3, 2}, {2, 3, 0}}, [&](ChunkWriter&) {
                                             faceMaterial(w, "red", {0, 1, 7});
                                             faceMaterial(w, "unknown", {2});
                                             faceMaterial(w, "blue", {1});
                                             faceMaterial(w, longName, {2});
                                             w.chunk(ChunkId::SmoothingGroups, [&] {
                                                 for (const std::uint32_t group : {4u, 0u, 0x80000000u}) {
                                                     w.dword(group);
                                                 }
                                             });
                                         });
                                     });
                                     material(w, "red");
                                     material(w, "blue");
                                     material(w, longName.substr(0, 19));
                                     material(w, "red");  // a second of that name is never found
                                 }));
    ASSERT_EQ(mesh.m_faces.size(), 3u);
    ASSERT_EQ(mesh.m_faceIndices.size(), 3u);
    const LFace& second = mesh.m_faces[1];
    EXPECT_EQ(second.a, 1);
    EXPECT_EQ(second.b, 3);
    EXPECT_EQ(second.c, 2);
    EXPECT_EQ(mesh.m_faces[0].materialId, 0);
    EXPECT_EQ(second.materialId, 1);  // the later chunk wins
    EXPECT_EQ(mesh.m_faces[2].materialId, 2);
    EXPECT_EQ(mesh.m_materialIds, (std::vector<std::int32_t>{0, 1, 2}));
    EXPECT_EQ(mesh.m_faces[0].smoothingGroup, 4u);
    EXPECT_EQ(second.smoothingGroup, 0u);
    EXPECT_EQ(mesh.m_faces[2].smoothingGroup, 0x80000000u);
    EXPECT_EQ(second.normal.x, 0.0f);
    EXPECT_EQ(second.tangent.y, 0.0f);
    EXPECT_EQ(second.binormal.z, 0.0f);
    EXPECT_EQ(mesh.m_faceIndices[1].b, 0);  // filled only by post-processing
}

TEST(L3DSMeshes, DefaultsAndFacesPastTheVertices)
{
    TestImporter model;
    const LMesh& mesh = loadMesh(model, modelFile([](ChunkWriter& w) {
                                     meshObject(w, "broken", [&](ChunkWriter&) {
                                         faceList(w, {{0, 1, 2}, {0, 1, 3}, {3, 2, 1}, {2, 1, 0}, {9, 0, 0}});
                                         vertexList(w, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
                                     });
                                 }));
    ASSERT_EQ(mesh.m_faces.size(), 2u);
    EXPECT_EQ(mesh.m_faceIndices.size(), 2u);
    EXPECT_EQ(mesh.m_faces[0].c, 2);
    EXPECT_EQ(mesh.m_faces[1].a, 2);
    EXPECT_EQ(mesh.m_faces[1].smoothingGroup, 1u);
    EXPECT_EQ(mesh.m_faces[1].materialId, -1);

    TestImporter empty;
    const LMesh& noVertices =
        loadMesh(empty, modelFile([](ChunkWriter& w) { meshObject(w, "bare", [](ChunkWriter&) {}); }));
    EXPECT_EQ(noVertices.getName(), "bare");
    EXPECT_TRUE(noVertices.m_vertices.empty());
    EXPECT_TRUE(noVertices.m_texCoords.empty());
}

}  // namespace
