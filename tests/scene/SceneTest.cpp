#include "model3ds/L3DSChunkIds.h"
#include "scene/Scene.h"
#include "tests/support/CoutCapture.h"
#include "tests/support/TempDir.h"
#include "tools/chunkwriter/ModelChunks.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct ExpectedList {
    const char* name;
    const TriangleList& list;
    std::vector<Vec3> vertices;
    std::vector<TriangleIndices> triangles;
};

void expectRoom(const Scene& scene)
{
    const std::vector<TriangleIndices> wallTriangles{{0, 2, 1}, {3, 2, 0}};
    const std::vector<ExpectedList> room{
        {"mirror", scene.m_mirror, {{20, -10, 0}, {0, -10, -20}, {20, 10, 0}, {0, 10, -20}}, {{0, 2, 1}, {3, 1, 2}}},
        {"ceiling", scene.m_ceiling, {{40, 40, 40}, {40, 40, -40}, {-40, 40, -40}, {-40, 40, 40}}, wallTriangles},
        {"floor", scene.m_floor, {{40, -40, 40}, {40, -40, -40}, {-40, -40, -40}, {-40, -40, 40}}, wallTriangles},
        {"left wall",
         scene.m_leftWall,
         {{-40, -40, 40}, {-40, -40, -40}, {-40, 40, -40}, {-40, 40, 40}},
         wallTriangles},
        {"right wall", scene.m_rightWall, {{40, -40, 40}, {40, -40, -40}, {40, 40, -40}, {40, 40, 40}}, wallTriangles},
        {"back wall",
         scene.m_backWall,
         {{-40, -40, -40}, {40, -40, -40}, {40, 40, -40}, {-40, 40, -40}},
         wallTriangles},
    };
    for (const ExpectedList& expected : room) {
        SCOPED_TRACE(expected.name);
        ASSERT_EQ(expected.list.vertices.size(), expected.vertices.size());
        for (std::size_t i = 0; i < expected.vertices.size(); ++i) {
            EXPECT_EQ(expected.list.vertices[i].x, expected.vertices[i].x) << "vertex " << i;
            EXPECT_EQ(expected.list.vertices[i].y, expected.vertices[i].y) << "vertex " << i;
            EXPECT_EQ(expected.list.vertices[i].z, expected.vertices[i].z) << "vertex " << i;
        }
        ASSERT_EQ(expected.list.triangles.size(), expected.triangles.size());
        for (std::size_t i = 0; i < expected.triangles.size(); ++i) {
            EXPECT_EQ(expected.list.triangles[i].a, expected.triangles[i].a) << "triangle " << i;
            EXPECT_EQ(expected.list.triangles[i].b, expected.triangles[i].b) << "triangle " << i;
            EXPECT_EQ(expected.list.triangles[i].c, expected.triangles[i].c) << "triangle " << i;
        }
    }
}

std::string countLines(int meshes, int lights, int materials)
{
    return "Number of meshes in the file = " + std::to_string(meshes) + "\n" +
           "Number of lights in the file = " + std::to_string(lights) + "\n" +
           "Number of materials in the file = " + std::to_string(materials) + "\n";
}

void writeTriangleObject(ChunkWriter& writer, const char* name)
{
    meshObject(writer, name, [](ChunkWriter& mesh) {
        vertexList(mesh, {{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}});
        faceList(mesh, {{0, 1, 2}});
    });
}

}  // namespace

TEST(Scene, MissingModelStillPrintsZeroCountsAndBuildsTheRoom)
{
    TempDir dir;
    CoutCapture output;
    const Scene scene((dir.path() / "absent.3DS").string());

    EXPECT_EQ(output.text(), countLines(0, 0, 0));
    EXPECT_EQ(scene.getMeshCount(), 0u);
    EXPECT_FALSE(scene.hasModelMesh());
    expectRoom(scene);
}

TEST(Scene, PlacesTheModelOnTheFloorWithItsRefractiveIndex)
{
    CoutCapture output;
    const Scene scene("");

    EXPECT_EQ(scene.m_modelPos.x, 0.0f);
    EXPECT_EQ(scene.m_modelPos.y, -40.0f);
    EXPECT_EQ(scene.m_modelPos.z, 0.0f);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(scene.m_refractionIndex), 0x3FAB5E20u);
}

TEST(Scene, PrintsTheCountsOfMeshesLightsAndMaterials)
{
    const Bytes bytes = modelFile([](ChunkWriter& writer) {
        writeTriangleObject(writer, "First");
        writeTriangleObject(writer, "Second");
        objectBlock(writer, "Lamp", ChunkId::Light, [](ChunkWriter& light) { reals(light, {1.0f, 2.0f, 3.0f}); });
    });
    TempDir dir;
    const auto path = dir.write("TwoMeshes.3DS", std::string(bytes.begin(), bytes.end()));

    CoutCapture output;
    const Scene scene(path.string());

    EXPECT_EQ(output.text(), countLines(2, 1, 0));
    ASSERT_TRUE(scene.hasModelMesh());
    EXPECT_EQ(scene.modelMesh().getName(), "First");
    expectRoom(scene);
}

TEST(Scene, ShippedModelLeavesTheRoomUnchanged)
{
    CoutCapture output;
    const Scene scene((sourceDir() / "data/CrystalModel/Crystal.3DS").string());

    ASSERT_TRUE(scene.hasModelMesh());
    expectRoom(scene);
}
