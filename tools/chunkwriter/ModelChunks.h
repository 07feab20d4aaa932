#pragma once

#include "maths/Vec3.h"
#include "tools/chunkwriter/ChunkWriter.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string_view>
#include <vector>

// The chunks a 3DS model is built from, written with the chunk writer in the layout the loader
// reads. The model generator and the tests make their files with these.
using Bytes = std::vector<std::uint8_t>;
// Writes the content of an enclosing chunk.
using ChunkBody = std::function<void(ChunkWriter&)>;
// A face's three vertex indices.
using FaceCorners = std::array<std::uint16_t, 3>;

// Writes the bytes as the whole file at path; false when that fails.
bool writeFileBytes(const std::filesystem::path& path, const Bytes& bytes);

// A main chunk holding one editor chunk with the given content.
Bytes modelFile(const ChunkBody& editorContent);

// An object block: its name, then one chunk of the given id and content.
void objectBlock(ChunkWriter& writer, std::string_view name, std::uint16_t contentId, const ChunkBody& content);
// An object block holding a mesh chunk.
void meshObject(ChunkWriter& writer, std::string_view name, const ChunkBody& meshContent);
// A material chunk with its name chunk first, then the given content.
void material(ChunkWriter& writer, std::string_view name, const ChunkBody& content = {});

// The floats in order.
void reals(ChunkWriter& writer, std::initializer_list<float> values);
// Colour chunks: channels as bytes (0 to 255) or as floats (1 is full).
void colorBytes(ChunkWriter& writer, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
void colorFloats(ChunkWriter& writer, float red, float green, float blue);
// A percentage chunk holding a signed whole number.
void percentWord(ChunkWriter& writer, std::int16_t percent);

void vertexList(ChunkWriter& writer, const std::vector<Vec3>& vertices);
// A face list: the faces, each with the given edge flags, then the given sub-chunks.
void faceList(ChunkWriter& writer, const std::vector<FaceCorners>& faces, const ChunkBody& subChunks = {},
              std::uint16_t edgeFlags = 0);
// A face-material chunk naming the faces that use a material.
void faceMaterial(ChunkWriter& writer, std::string_view materialName, const std::vector<std::uint16_t>& faces);
