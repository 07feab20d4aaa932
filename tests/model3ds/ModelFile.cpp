#include "tests/model3ds/ModelFile.h"

#include "tests/support/TempDir.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>

Bytes modelFile(const ChunkBody& editorContent)
{
    ChunkWriter writer;
    writer.begin(0x4D4D);
    writer.begin(0x3D3D);
    editorContent(writer);
    writer.end();
    writer.end();
    return writer.bytes();
}

void objectBlock(ChunkWriter& writer, std::string_view name, std::uint16_t contentId, const ChunkBody& content)
{
    writer.begin(0x4000);
    writer.string(name);
    writer.begin(contentId);
    content(writer);
    writer.end();
    writer.end();
}

void meshObject(ChunkWriter& writer, std::string_view name, const ChunkBody& meshContent)
{
    objectBlock(writer, name, 0x4100, meshContent);
}

void material(ChunkWriter& writer, std::string_view name, const ChunkBody& content)
{
    writer.begin(0xAFFF);
    writer.chunk(0xA000, [&] { writer.string(name); });
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

void vertexList(ChunkWriter& writer, const std::vector<Vec3>& vertices)
{
    writer.chunk(0x4110, [&] {
        writer.word(static_cast<std::uint16_t>(vertices.size()));
        for (const Vec3& vertex : vertices) {
            writer.real(vertex.x);
            writer.real(vertex.y);
            writer.real(vertex.z);
        }
    });
}

void faceList(ChunkWriter& writer, const std::vector<Triangle>& faces, const ChunkBody& subChunks)
{
    writer.begin(0x4120);
    writer.word(static_cast<std::uint16_t>(faces.size()));
    for (const Triangle& face : faces) {
        for (const std::uint16_t corner : face) {
            writer.word(corner);
        }
        writer.word(0);
    }
    if (subChunks) {
        subChunks(writer);
    }
    writer.end();
}

void faceMaterial(ChunkWriter& writer, std::string_view materialName, const std::vector<std::uint16_t>& faces)
{
    writer.chunk(0x4130, [&] {
        writer.string(materialName);
        writer.word(static_cast<std::uint16_t>(faces.size()));
        for (const std::uint16_t face : faces) {
            writer.word(face);
        }
    });
}

bool TestImporter::load(const Bytes& bytes)
{
    if (const char* seedDir = std::getenv("LUMORA_SEED_DIR")) {
        // Named by content, so a model that several tests load is saved once.
        const std::size_t hash = std::hash<std::string>{}(std::string(bytes.begin(), bytes.end()));
        std::ofstream(std::filesystem::path(seedDir) / ("test-" + std::to_string(hash) + ".3ds"), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    return loadFromMemory(bytes.data(), bytes.size());
}

std::filesystem::path fixtureDir() { return sourceDir() / "tests" / "model3ds" / "fixtures"; }

std::vector<std::filesystem::path> fixtureFiles()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(fixtureDir())) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char letter) { return static_cast<char>(std::tolower(letter)); });
        if (extension == ".3ds") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}
