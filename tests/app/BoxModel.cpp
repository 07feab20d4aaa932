#include "tests/app/BoxModel.h"

#include "model3ds/L3DSChunkIds.h"
#include "tools/chunkwriter/ModelChunks.h"

#include <iterator>
#include <vector>

namespace {

// Corner i has x from bit 0, y from bit 1 and z from bit 2 (0: low, 1: high).
std::vector<Vec3> boxCorners()
{
    const Vec3 low{-8.0f, 4.0f, -8.0f};
    const Vec3 high{8.0f, 20.0f, 8.0f};
    std::vector<Vec3> corners(8);
    for (std::size_t i = 0; i < corners.size(); ++i) {
        corners[i] = {(i & 1) != 0 ? high.x : low.x, (i & 2) != 0 ? high.y : low.y, (i & 4) != 0 ? high.z : low.z};
    }
    return corners;
}

// Two triangles per side, counter-clockwise as seen from outside; the sides low and high in
// z, then in x, then in y.
constexpr FaceCorners boxTriangles[] = {
    {0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 4, 6}, {0, 6, 2},
    {1, 3, 7}, {1, 7, 5}, {0, 1, 5}, {0, 5, 4}, {2, 6, 7}, {2, 7, 3},
};

void writeLight(ChunkWriter& writer)
{
    objectBlock(writer, "Lamp", ChunkId::Light, [](ChunkWriter& light) { reals(light, {0.0f, 30.0f, 0.0f}); });
}

std::string fileText(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

std::string boxModelFileWith(const std::vector<FaceCorners>& faces)
{
    return fileText(modelFile([&faces](ChunkWriter& writer) {
        meshObject(writer, "Box", [&faces](ChunkWriter& mesh) {
            vertexList(mesh, boxCorners());
            faceList(mesh, faces);
        });
        writeLight(writer);
    }));
}

}  // namespace

std::string boxModelFile() { return boxModelFileWith({std::begin(boxTriangles), std::end(boxTriangles)}); }

std::string boxModelFileWithStrayFaces()
{
    std::vector<FaceCorners> faces{std::begin(boxTriangles), std::end(boxTriangles)};
    faces.insert(faces.begin() + 3, {0, 8, 1});
    faces.push_back({65535, 2, 3});
    return boxModelFileWith(faces);
}

std::string lightOnlyModelFile() { return fileText(modelFile(writeLight)); }
