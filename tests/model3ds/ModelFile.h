#pragma once

#include "model3ds/L3DS.h"
#include "tools/chunkwriter/ChunkWriter.h"
#include "maths/Vec3.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string_view>
#include <vector>

// Test models for the 3DS loader, written in memory with the chunk writer.
using Bytes = std::vector<std::uint8_t>;
using ChunkBody = std::function<void(ChunkWriter&)>;
using Triangle = std::array<std::uint16_t, 3>;

// A main chunk (0x4D4D) holding one editor chunk (0x3D3D) with the given content.
Bytes modelFile(const ChunkBody& editorContent);

// An object block (0x4000): its name, then one chunk of the given id and content.
void objectBlock(ChunkWriter& writer, std::string_view name, std::uint16_t contentId, const ChunkBody& content);
// An object block holding a mesh chunk (0x4100).
void meshObject(ChunkWriter& writer, std::string_view name, const ChunkBody& meshContent);
// A material chunk (0xAFFF) with a name chunk (0xA000) first, then the given content.
void material(ChunkWriter& writer, std::string_view name, const ChunkBody& content = {});

// The floats in order.
void reals(ChunkWriter& writer, std::initializer_list<float> values);
void vertexList(ChunkWriter& writer, const std::vector<Vec3>& vertices);
// A face list (0x4120): the triangles with zero flags, then the given sub-chunks.
void faceList(ChunkWriter& writer, const std::vector<Triangle>& faces, const ChunkBody& subChunks = {});
// A face-material chunk (0x4130) naming the faces that use a material.
void faceMaterial(ChunkWriter& writer, std::string_view materialName, const std::vector<std::uint16_t>& faces);

// An importer whose post-processing level a test can choose (-1: none, so meshes stay as read).
class TestImporter : public L3DS {
public:
    using L3DS::m_postProcessLevel;

    // loadFromMemory; with LUMORA_SEED_DIR set, also saves the bytes there as a fuzzing seed.
    bool load(const Bytes& bytes);
};

// The 3DS models from other tools that every test run must read, kept in the repository.
std::filesystem::path fixtureDir();
std::vector<std::filesystem::path> fixtureFiles();
