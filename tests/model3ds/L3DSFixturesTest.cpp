#include "tests/model3ds/ModelFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

struct FixtureCounts {
    std::uint32_t meshes;
    std::uint32_t lights;
    std::uint32_t materials;
    std::size_t vertices;  // of every mesh, as stored in the file
    std::size_t faces;
    std::string firstMeshName;
};

// Counted with an independent reader of the chunk tree.
const std::map<std::string, FixtureCounts> expectedCounts = {
    {"CameraRollAnim.3ds", {1, 0, 0, 26, 12, "Box01"}},
    {"RotatingCube.3DS", {1, 0, 0, 26, 12, "Box01"}},
    {"UVTransform_Cube.3DS", {1, 0, 1, 26, 12, "Box01"}},
    {"UVTransform_Normal.3DS", {1, 0, 1, 25, 32, "Plane01"}},
    {"UVTransform_OffsetU0.5_ScaleUV2_Rotate45_clampUV.3DS", {1, 0, 1, 25, 32, "Plane01"}},
    {"UVTransform_OffsetUV0.5.3DS", {1, 0, 1, 25, 32, "Plane01"}},
    {"UVTransform_ScaleUV1-2_OffsetUV0-0.9_Rotate-72_mirrorU.3ds", {1, 0, 1, 25, 32, "Plane01"}},
    {"UVTransform_ScaleUV2x_Rotate45.3DS", {1, 0, 1, 25, 32, "Plane01"}},
    {"cube_with_diffuse_texture.3DS", {1, 0, 1, 32, 12, "Quader01"}},
    {"cubes_with_alpha.3DS", {5, 0, 5, 26, 12, "Quader01"}},
    {"fels.3ds", {1, 0, 1, 386, 768, "Default"}},
};

Bytes fileBytes(const std::filesystem::path& path)
{
    const std::string text = readFileBytes(path);
    return {text.begin(), text.end()};
}

// What the renderer relies on, whatever the file held: equal per-vertex lists and faces
// that name existing vertices.
void expectConsistent(L3DS& model, const std::string& context)
{
    for (std::uint32_t i = 0; i < model.getMeshCount(); ++i) {
        const LMesh& mesh = model.getMesh(i);
        const std::size_t vertexCount = mesh.m_vertices.size();
        ASSERT_EQ(mesh.m_normals.size(), vertexCount) << context;
        ASSERT_EQ(mesh.m_texCoords.size(), vertexCount) << context;
        ASSERT_EQ(mesh.m_tangents.size(), vertexCount) << context;
        ASSERT_EQ(mesh.m_binormals.size(), vertexCount) << context;
        ASSERT_EQ(mesh.m_faceIndices.size(), mesh.m_faces.size()) << context;
        for (const LFaceIndices& face : mesh.m_faceIndices) {
            ASSERT_LT(std::max({face.a, face.b, face.c}), vertexCount) << context;
        }
    }
}

TEST(L3DSFixtures, EveryFixtureLoadsWithItsCounts)
{
    ASSERT_TRUE(std::filesystem::is_directory(fixtureDir())) << fixtureDir();
    const auto files = fixtureFiles();
    ASSERT_EQ(files.size(), expectedCounts.size());
    for (const auto& path : files) {
        const std::string name = path.filename().string();
        const FixtureCounts& expected = expectedCounts.at(name);
        const Bytes bytes = fileBytes(path);

        TestImporter asRead;
        asRead.m_postProcessLevel = -1;
        ASSERT_TRUE(asRead.load(bytes)) << name;
        ASSERT_EQ(asRead.getMeshCount(), expected.meshes) << name;
        EXPECT_EQ(asRead.getLightCount(), expected.lights) << name;
        EXPECT_EQ(asRead.getMaterialCount(), expected.materials) << name;
        EXPECT_EQ(asRead.getMesh(0).getName(), expected.firstMeshName) << name;
        for (std::uint32_t i = 0; i < asRead.getMeshCount(); ++i) {
            EXPECT_EQ(asRead.getMesh(i).m_vertices.size(), expected.vertices) << name;
            EXPECT_EQ(asRead.getMesh(i).m_faces.size(), expected.faces) << name;
        }

        L3DS processed;
        ASSERT_TRUE(processed.loadFile(path.c_str())) << name;
        ASSERT_EQ(processed.getMeshCount(), expected.meshes) << name;
        EXPECT_GE(processed.getMesh(0).m_vertices.size(), expected.vertices) << name;
        expectConsistent(processed, name);
    }
}

struct Header {
    std::size_t offset;
    std::size_t parentEnd;
};

std::uint32_t lengthAt(const Bytes& bytes, std::size_t offset)
{
    std::uint32_t length = 0;
    for (int i = 3; i >= 0; --i) {
        length = length << 8 | bytes[offset + 2 + i];
    }
    return length;
}

// Where the nested chunks of a chunk begin, or 0 for chunks that hold none.
std::size_t childrenOffset(const Bytes& bytes, std::uint16_t id, std::size_t start)
{
    switch (id) {
        case ChunkId::Main:
        case ChunkId::Editor:
        case ChunkId::Material:
        case ChunkId::Keyframer:
        case ChunkId::ObjectNode:
        case ChunkId::Mesh:
        case ChunkId::Ambient:
        case ChunkId::Diffuse:
        case ChunkId::Specular:
        case ChunkId::Shininess:
        case ChunkId::Transparency:
        case ChunkId::TexMap1:
        case ChunkId::SpecularMap:
        case ChunkId::OpacityMap:
        case ChunkId::ReflectionMap:
        case ChunkId::BumpMap:
        case ChunkId::TexMap2:
            return start;
        case ChunkId::Object:
            while (start < bytes.size() && bytes[start] != 0) {
                ++start;
            }
            return start + 1;
        case ChunkId::FaceList:
            return start + 2 + 8 * std::size_t{static_cast<std::uint16_t>(bytes[start] | bytes[start + 1] << 8)};
        case ChunkId::Light:
            return start + 12;
        default:
            return 0;
    }
}

// Every chunk header of a well-formed file, with the end of the chunk that holds it.
void collectHeaders(const Bytes& bytes, std::size_t begin, std::size_t end, std::vector<Header>& headers)
{
    for (std::size_t at = begin; at + 6 <= end;) {
        const std::uint32_t length = lengthAt(bytes, at);
        if (length < 6 || at + length > end) {
            return;
        }
        headers.push_back({at, end});
        const auto id = static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
        if (const std::size_t children = childrenOffset(bytes, id, at + 6)) {
            collectHeaders(bytes, children, at + length, headers);
        }
        at += length;
    }
}

TEST(L3DSFixtures, TruncatedFixturesLoadSafely)
{
    for (const auto& path : fixtureFiles()) {
        const Bytes bytes = fileBytes(path);
        const std::size_t step = 1 + bytes.size() / 1000;
        for (std::size_t size = 0; size <= bytes.size(); size += step) {
            L3DS model;
            model.loadFromMemory(bytes.data(), size);
            expectConsistent(model, path.filename().string() + " cut to " + std::to_string(size));
        }
    }
}

TEST(L3DSFixtures, CorruptChunkLengthsLoadSafely)
{
    for (const auto& path : fixtureFiles()) {
        const Bytes original = fileBytes(path);
        std::vector<Header> headers;
        collectHeaders(original, 0, original.size(), headers);
        ASSERT_GT(headers.size(), 10u) << path;
        for (const Header& header : headers) {
            const std::uint32_t length = lengthAt(original, header.offset);
            const auto toParentEnd = static_cast<std::uint32_t>(header.parentEnd - header.offset);
            for (const std::uint32_t corrupt :
                 {0u, 1u, 2u, 3u, 4u, 5u, 6u, 0xFFFFFFFFu, 0x80000000u, length - 1, length + 1, length + 6,
                  toParentEnd - 1, toParentEnd + 1, toParentEnd + 6}) {
                Bytes bytes = original;
                for (int i = 0; i < 4; ++i) {
                    bytes[header.offset + 2 + i] = static_cast<std::uint8_t>(corrupt >> (8 * i));
                }
                L3DS model;
                model.loadFromMemory(bytes.data(), bytes.size());
                expectConsistent(model, path.filename().string() + " header at " + std::to_string(header.offset) +
                                            " length " + std::to_string(corrupt));
            }
        }
    }
}

}  // namespace
