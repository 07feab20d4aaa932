#include "tests/app/BoxModel.h"

#include "maths/Vec3.h"
#include "tools/chunkwriter/ChunkWriter.h"

#include <array>
#include <cstdint>
#include <functional>
#include <iterator>
#include <vector>

namespace {

constexpr std::uint16_t mainChunk = 0x4D4D;
constexpr std::uint16_t editorChunk = 0x3D3D;
constexpr std::uint16_t objectChunk = 0x4000;
constexpr std::uint16_t meshChunk = 0x4100;
constexpr std::uint16_t vertexListChunk = 0x4110;
constexpr std::uint16_t faceListChunk = 0x4120;
constexpr std::uint16_t lightChunk = 0x4600;

// Corner i has x from bit 0, y from bit 1 and z from bit 2 (0: low, 1: high).
std::array<Vec3, 8> boxCorners()
{
    const Vec3 low{-8.0f, 4.0f, -8.0f};
    const Vec3 high{8.0f, 20.0f, 8.0f};
    std::array<Vec3, 8> corners{};
    for (std::size_t i = 0; i < corners.size(); ++i) {
        corners[i] = {(i & 1) != 0 ? high.x : low.x, (i & 2) != 0 ? high.y : low.y, (i & 4) != 0 ? high.z : low.z};
    }
    return corners;
}

// Two triangles per side, counter-clockwise as seen from outside; the sides low and high in
// z, then in x, then in y.
constexpr std::array<std::uint16_t, 3> boxTriangles[] = {
    {0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 4, 6}, {0, 6, 2},
    {1, 3, 7}, {1, 7, 5}, {0, 1, 5}, {0, 5, 4}, {2, 6, 7}, {2, 7, 3},
};

void writeLight(ChunkWriter& writer)
{
    writer.chunk(objectChunk, [&] {
        writer.string("Lamp");
        writer.chunk(lightChunk, [&] {
            writer.real(0.0f);
            writer.real(30.0f);
            writer.real(0.0f);
        });
    });
}

std::string fileText(ChunkWriter& writer, const std::function<void()>& editorContent)
{
    writer.chunk(mainChunk, [&] { writer.chunk(editorChunk, editorContent); });
    const std::vector<std::uint8_t>& bytes = writer.bytes();
    return {bytes.begin(), bytes.end()};
}

}  // namespace

std::string boxModelFile()
{
    ChunkWriter writer;
    return fileText(writer, [&] {
        writer.chunk(objectChunk, [&] {
            writer.string("Box");
            writer.chunk(meshChunk, [&] {
                writer.chunk(vertexListChunk, [&] {
                    const auto corners = boxCorners();
                    writer.word(static_cast<std::uint16_t>(corners.size()));
                    for (const Vec3& corner : corners) {
                        writer.real(corner.x);
                        writer.real(corner.y);
                        writer.real(corner.z);
                    }
                });
                writer.chunk(faceListChunk, [&] {
                    writer.word(static_cast<std::uint16_t>(std::size(boxTriangles)));
                    for (const auto& triangle : boxTriangles) {
                        for (std::uint16_t index : triangle) {
                            writer.word(index);
                        }
                        writer.word(0);  // edge flags
                    }
                });
            });
        });
        writeLight(writer);
    });
}

std::string lightOnlyModelFile()
{
    ChunkWriter writer;
    return fileText(writer, [&] { writeLight(writer); });
}
