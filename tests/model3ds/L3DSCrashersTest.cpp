#include "tests/model3ds/CrasherModels.h"
#include "tests/model3ds/ModelFile.h"

#include <gtest/gtest.h>

// Regression cases, one per kind of defect that has crashed or hung 3DS readers. Each
// must load without reading outside the file and without hanging.
namespace {

TEST(L3DSCrashers, ZeroLengthChunkEndsItsLevel)
{
    for (const std::uint32_t length : {0u, 5u}) {
        TestImporter model;
        ASSERT_TRUE(model.load(shortChunksEverywhere(length)));
        EXPECT_EQ(model.getMaterialCount(), 1u);
        EXPECT_EQ(model.getLightCount(), 1u);
        ASSERT_EQ(model.getMeshCount(), 1u);
        ASSERT_EQ(model.getMesh(0).m_faces.size(), 1u);
        EXPECT_EQ(model.getMesh(0).m_faces[0].materialId, 0);
        EXPECT_EQ(model.getMesh(0).m_faces[0].smoothingGroup, 1u);
    }
}

TEST(L3DSCrashers, ChunkLengthPastParentOrFile)
{
    TestImporter model;
    model.m_postProcessLevel = -1;
    ASSERT_TRUE(model.load(chunkPastItsParent()));
    ASSERT_EQ(model.getMeshCount(), 2u);
    EXPECT_TRUE(model.getMesh(0).m_vertices.empty());
    EXPECT_EQ(model.getMesh(1).m_faces.size(), 1u);

    // The file ends inside the vertex list: its count still sizes the list and the missing
    // values read as 0.
    ASSERT_TRUE(model.load(fileEndsInsideVertexList()));
    ASSERT_EQ(model.getMeshCount(), 1u);
    const LMesh& cut = model.getMesh(0);
    ASSERT_EQ(cut.m_vertices.size(), 3u);
    EXPECT_EQ(cut.m_vertices[1].x, 4.0f);
    EXPECT_EQ(cut.m_vertices[1].z, 0.0f);
    EXPECT_EQ(cut.m_vertices[2].x, 0.0f);
}

TEST(L3DSCrashers, FaceIndexPastVertices)
{
    TestImporter model;
    ASSERT_TRUE(model.load(faceIndexPastVertices()));
    const LMesh& mesh = model.getMesh(0);
    ASSERT_EQ(mesh.m_faceIndices.size(), 1u);
    EXPECT_EQ(mesh.m_faceIndices[0].c, 2);
    EXPECT_EQ(mesh.m_vertices.size(), 3u);
}

// A count larger than its chunk can hold sizes the list only to the records that are there.
TEST(L3DSCrashers, HugeCounts)
{
    TestImporter model;
    model.m_postProcessLevel = -1;
    ASSERT_TRUE(model.load(countsPastTheirChunks()));
    ASSERT_EQ(model.getMeshCount(), 2u);
    EXPECT_EQ(model.getMesh(0).m_faces[0].materialId, 0);
    const LMesh& huge = model.getMesh(1);
    ASSERT_EQ(huge.m_vertices.size(), 2u);
    EXPECT_EQ(huge.m_vertices[1].x, 4.0f);
    EXPECT_EQ(huge.m_texCoords[0].v, 0.75f);
    ASSERT_EQ(huge.m_faces.size(), 1u);
    EXPECT_EQ(huge.m_faces[0].c, 1);
}

// Thousands of tiny objects each claiming 65535 vertices and faces would ask for gigabytes
// if the counts alone sized the lists.
TEST(L3DSCrashers, ManyObjectsWithLyingCounts)
{
    const int objectCount = 2000;
    TestImporter model;
    ASSERT_TRUE(model.load(manyObjectsWithLyingCounts(objectCount)));
    ASSERT_EQ(model.getMeshCount(), static_cast<std::uint32_t>(objectCount));
    for (std::uint32_t i = 0; i < model.getMeshCount(); ++i) {
        ASSERT_TRUE(model.getMesh(i).m_vertices.empty());
        ASSERT_TRUE(model.getMesh(i).m_faces.empty());
    }
}

// A mesh running past its object would overlap the objects after it, so that one vertex
// list could be read once for every object before it: such a mesh is not read.
TEST(L3DSCrashers, MeshPastItsObject)
{
    TestImporter model;
    model.m_postProcessLevel = -1;
    ASSERT_TRUE(model.load(meshPastItsObject()));
    ASSERT_EQ(model.getMeshCount(), 1u);
    EXPECT_EQ(model.getMesh(0).getName(), "after");
    EXPECT_EQ(model.getMesh(0).m_faces.size(), 1u);
}

// The walks descend by fixed levels, never by recursion over what the file nests.
TEST(L3DSCrashers, DeepNesting)
{
    TestImporter model;
    ASSERT_TRUE(model.load(deepNesting(100000)));
    ASSERT_EQ(model.getMeshCount(), 1u);
    EXPECT_EQ(model.getMesh(0).m_faces.size(), 1u);
}

}  // namespace
