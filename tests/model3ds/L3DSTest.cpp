#include "tests/model3ds/CrasherModels.h"
#include "tests/model3ds/ModelFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <limits>
#include <string>

namespace {

// Two meshes and a light between them, a material after them, and unknown chunks at every
// level the walks pass; the first holds an object block, which the walk must not enter.
Bytes mixedModel()
{
    return modelFile([](ChunkWriter& w) {
        w.chunk(0x1234, [&] { meshObject(w, "nested in an unknown chunk", [](ChunkWriter&) {}); });
        meshObject(w, "first", [&](ChunkWriter&) {
            w.chunk(0x4111, [&] { w.word(7); });
            vertexList(w, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
            faceList(w, {{0, 1, 2}});
        });
        objectBlock(w, "lamp", ChunkId::Light, [&](ChunkWriter&) { reals(w, {1, 2, 3}); });
        objectBlock(w, "camera", ChunkId::Camera, [&](ChunkWriter&) { w.real(0); });
        meshObject(w, "second", [](ChunkWriter&) {});
        material(w, "stone", [&](ChunkWriter&) { w.chunk(0xA0FF, [&] { w.word(1); }); });
    });
}

void expectMixedModel(TestImporter& model)
{
    ASSERT_EQ(model.getMeshCount(), 2u);
    EXPECT_EQ(model.getMesh(0).getName(), "first");
    EXPECT_EQ(model.getMesh(0).m_vertices.size(), 3u);
    EXPECT_EQ(model.getMesh(0).m_faces.size(), 1u);
    EXPECT_EQ(model.getMesh(1).getName(), "second");
    EXPECT_TRUE(model.getMesh(1).m_vertices.empty());
    ASSERT_EQ(model.getLightCount(), 1u);
    EXPECT_EQ(model.getLight(0).getName(), "lamp");
    ASSERT_EQ(model.getMaterialCount(), 1u);
    EXPECT_EQ(model.getMaterial(0).getName(), "stone");
}

TEST(L3DS, SkipsUnknownChunksAndKeepsFileOrder)
{
    TestImporter model;
    ASSERT_TRUE(model.load(mixedModel()));
    expectMixedModel(model);
}

TEST(L3DS, ASecondLoadReplacesTheFirst)
{
    TestImporter model;
    ASSERT_TRUE(model.load(mixedModel()));
    ASSERT_TRUE(model.load(mixedModel()));
    expectMixedModel(model);
}

TEST(L3DS, WrongFirstChunkOrMissingEditorFailsAndEmptiesTheModel)
{
    ChunkWriter wrongFirst;
    wrongFirst.chunk(0x4D4C, [] {});
    const Bytes valid = mixedModel();
    wrongFirst.mutableBytes().insert(wrongFirst.mutableBytes().end(), valid.begin(), valid.end());

    ASSERT_EQ(mainChunkHeaderOnly().size(), 6u);

    for (const Bytes& bytes : {wrongFirst.bytes(), mainChunkWithoutEditor(), mainChunkHeaderOnly()}) {
        TestImporter model;
        ASSERT_TRUE(model.load(mixedModel()));
        EXPECT_FALSE(model.load(bytes));
        EXPECT_EQ(model.getMeshCount() + model.getLightCount() + model.getMaterialCount(), 0u);
    }
}

TEST(L3DS, MainChunkLengthNeedNotMatchTheFileSize)
{
    const Bytes valid = mixedModel();
    const auto fileSize = static_cast<std::uint32_t>(valid.size());
    // Shorter than the editor chunk inside it, a little off either way, and far too long.
    for (const std::uint32_t length : {16u, fileSize - 1, fileSize + 1, 0xFFFFFFFFu}) {
        TestImporter model;
        ASSERT_TRUE(model.load(withMainChunkLength(valid, length))) << length;
        expectMixedModel(model);
    }

    Bytes trailing = mixedModel();
    trailing.insert(trailing.end(), {0x00, 0x40, 0xFF, 0xFF});
    TestImporter model;
    ASSERT_TRUE(model.load(trailing));
    expectMixedModel(model);
}

TEST(L3DS, LoadFileReadsTheWholeFileOrKeepsThePreviousModelAndSaysWhy)
{
    const Bytes bytes = mixedModel();
    const TempDir dir;
    const auto path = dir.write("model.3ds", std::string(bytes.begin(), bytes.end()));
    const auto empty = dir.write("empty.3ds", "");
    // Offsets are 32-bit: a larger model is refused before a byte is read.
    const auto huge = dir.write("huge.3ds", "");
    std::filesystem::resize_file(huge, std::uintmax_t{1} << 32);  // sparse: no space is used

    TestImporter model;
    ASSERT_TRUE(model.loadFile(path.c_str()));
    expectMixedModel(model);
    // A named pipe that nobody writes to must not keep the load waiting; a device's size says
    // nothing of what it holds.
    const auto pipe = dir.path() / "pipe.3ds";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    struct Unreadable {
        std::filesystem::path path;
        int error;
        bool empty;
        bool notRegular;
    };
    for (const Unreadable& file :
         {Unreadable{dir.path() / "missing.3ds", ENOENT, false, false},
          Unreadable{path / "below a file.3ds", ENOTDIR, false, false}, Unreadable{dir.path(), EISDIR, false, false},
          Unreadable{empty, 0, true, false}, Unreadable{huge, EFBIG, false, false}, Unreadable{pipe, 0, false, true},
          Unreadable{"/dev/zero", 0, false, true}}) {
        SCOPED_TRACE(file.path);
        EXPECT_FALSE(model.loadFile(file.path.c_str()));
        EXPECT_EQ(model.readError(), file.error);
        EXPECT_EQ(model.readEmptyFile(), file.empty);
        EXPECT_EQ(model.readNotRegularFile(), file.notRegular);
        expectMixedModel(model);
    }
    EXPECT_FALSE(model.loadFromMemory(bytes.data(), std::size_t{std::numeric_limits<std::uint32_t>::max()} + 1));
    expectMixedModel(model);

    // A file that is read whole clears the reason, also when its parse fails.
    ASSERT_TRUE(model.loadFile(path.c_str()));
    EXPECT_EQ(model.readError(), 0);
    EXPECT_FALSE(model.readEmptyFile());
    const auto garbage = dir.write("garbage.3ds", "not a model");
    EXPECT_FALSE(model.loadFile(garbage.c_str()));
    EXPECT_EQ(model.readError(), 0);
    EXPECT_FALSE(model.readEmptyFile());
}

// One triangle moved by its local matrix, with texture coordinates, loaded at every level.
TEST(L3DS, PostProcessingFollowsTheLevel)
{
    const Bytes bytes = modelFile([](ChunkWriter& w) {
        meshObject(w, "moved", [&](ChunkWriter&) {
            vertexList(w, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
            w.chunk(ChunkId::TexCoords, [&] {
                w.word(3);
                reals(w, {0, 0, 1, 0, 0, 1});
            });
            w.chunk(ChunkId::LocalMatrix, [&] { reals(w, {1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 0, 0}); });
            faceList(w, {{0, 1, 2}});
        });
    });
    struct Expected {
        int level;
        float firstX;       // 5 once transformVertices has run
        bool normals;       // calcNormals filled the normals and the compact faces
        bool textureSpace;  // calcTextureSpace filled the tangents
    };
    for (const Expected& expected :
         {Expected{-1, 0.0f, false, false}, Expected{0, 5.0f, false, false}, Expected{1, 5.0f, true, false},
          Expected{2, 5.0f, true, true}, Expected{3, 0.0f, false, false}}) {
        TestImporter model;
        model.m_postProcessLevel = expected.level;
        ASSERT_TRUE(model.load(bytes));
        const LMesh& mesh = model.getMesh(0);
        EXPECT_EQ(mesh.m_vertices[0].x, expected.firstX) << expected.level;
        EXPECT_EQ(mesh.m_normals[0].z, expected.normals ? 1.0f : 0.0f) << expected.level;
        EXPECT_EQ(mesh.m_faceIndices[0].b, expected.normals ? 1 : 0) << expected.level;
        EXPECT_EQ(std::fabs(mesh.m_tangents[0].x), expected.textureSpace ? 1.0f : 0.0f) << expected.level;
    }
}

}  // namespace
