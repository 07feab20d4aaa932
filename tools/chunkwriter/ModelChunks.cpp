#include "tools/chunkwriter/ModelChunks.h"

#include "model3ds/L3DSChunkIds.h"

#include <fstream>

bool writeFileBytes(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

Bytes modelFile(const ChunkBody& editorContent)
{
    ChunkWriter writer;
    writer.begin(ChunkId::Main);
    writer.begin(ChunkId::Editor);
    editorContent(writer);
    writer.end();
    writer.end();
    return writer.bytes();
}

void objectBlock(ChunkWriter& writer, std::string_view name, std::uint16_t contentId, const ChunkBody& content)
{
    writer.begin(ChunkId::Object);
    writer.string(name);
    writer.begin(contentId);
    content(writer);
    writer.end();
    writer.end();
}

void meshObject(ChunkWriter& writer, std::string_view name, const ChunkBody& meshContent)
{
    objectBlock(writer, name, ChunkId::Mesh, meshContent);
}

void material(ChunkWriter& writer, std::string_view name, const ChunkBody& content)
{
    writer.begin(ChunkId::Material);
    writer.chunk(ChunkId::MaterialName, [&] { writer.string(name); });
    if (content) {
        content(writer);
    }
    writer.end();
}

void reals(ChunkWriter& writer, std::initializer_list<float> values)
{
    for (const float value : values) {
        writer.real(value);
    }
}

void colorBytes(ChunkWriter& writer, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    writer.chunk(ChunkId::ColorByte, [&] {
        writer.byte(red);
        writer.byte(green);
        writer.byte(blue);
    });
}

void colorFloats(ChunkWriter& writer, float red, float green, float blue)
{
    writer.chunk(ChunkId::ColorFloat, [&] { reals(writer, {red, green, blue}); });
}

void percentWord(ChunkWriter& writer, std::int16_t percent)
{
    writer.chunk(ChunkId::PercentWord, [&] { writer.word(static_cast<std::uint16_t>(percent)); });
}

void vertexList(ChunkWriter& writer, const std::vector<Vec3>& vertices)
{
    writer.chunk(ChunkId::VertexList, [&] {
        writer.word(static_cast<std::uint16_t>(vertices.size()));
        for (const Vec3& vertex : vertices) {
            reals(writer, {vertex.x, vertex.y, vertex.z});
        }
    });
}

void faceList(ChunkWriter& writer, const std::vector<FaceCorners>& faces, const ChunkBody& subChunks,
              std::uint16_t edgeFlags)
{
    writer.begin(ChunkId::FaceList);
    writer.word(static_cast<std::uint16_t>(faces.size()));
    for (const FaceCorners& face : faces) {
        for (const std::uint16_t corner : face) {
            writer.word(corner);
        }
        writer.word(edgeFlags);
    }
    if (subChunks) {
        subChunks(writer);
    }
    writer.end();
}

void faceMaterial(ChunkWriter& writer, std::string_view materialName, const std::vector<std::uint16_t>& faces)
{
    writer.chunk(ChunkId::FaceMaterial, [&] {
        writer.string(materialName);
        writer.word(static_cast<std::uint16_t>(faces.size()));
        for (const std::uint16_t face : faces) {
            writer.word(face);
        }
    });
}
