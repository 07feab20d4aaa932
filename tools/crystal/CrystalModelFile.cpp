#include "tools/crystal/CrystalModelFile.h"

#include "model3ds/L3DSChunkIds.h"
#include "tools/chunkwriter/ModelChunks.h"
#include "tools/crystal/CrystalCluster.h"
#include "tools/crystal/ModelMeshes.h"

#include <array>
#include <initializer_list>
#include <stdexcept>
#include <string_view>

namespace {

constexpr std::string_view crystalMeshName = "CrystalCluster";
constexpr std::string_view pedestalMeshName = "Pedestal";
constexpr std::string_view prismMaterial = "QuartzPrism";
constexpr std::string_view tipMaterial = "QuartzTip";
constexpr std::string_view pedestalMaterial = "PedestalStone";
constexpr std::array<std::string_view, 3> materialNames{prismMaterial, tipMaterial, pedestalMaterial};
constexpr std::array<std::string_view, 2> lightNames{"SkyLight", "CrystalSpot"};

// Every face record carries the usual edge-visibility flags; the loader drops them.
constexpr std::uint16_t faceFlags = 0x0007;

// The cluster's local matrix: a turn about y (cosine 0.8, sine 0.6, exact in any precision
// up to the rounding of these two entries) and a shift. The stored vertices are the final
// positions moved back by its inverse, so the loader's transform puts them where they belong.
constexpr float turnCos = 0.8f;
constexpr float turnSin = 0.6f;
constexpr Vec3d shift{3.5, 0.5, -2.25};

using MatrixRows = std::array<std::array<float, 3>, 4>;

constexpr MatrixRows crystalMatrix{{
    {turnCos, 0.0f, -turnSin},
    {0.0f, 1.0f, 0.0f},
    {turnSin, 0.0f, turnCos},
    {static_cast<float>(shift.x), static_cast<float>(shift.y), static_cast<float>(shift.z)},
}};

constexpr MatrixRows identityMatrix{{{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f}}};

// Solves p * rows 0-2 + row 3 = target for the row vector p, in double, from the matrix's
// float entries as written. Only turns about y are ever passed in.
Vec3d untransformed(Vec3d target, const MatrixRows& rows)
{
    const double c = rows[0][0];
    const double s = rows[2][0];
    const double determinant = c * c + s * s;
    const double x = target.x - rows[3][0];
    const double z = target.z - rows[3][2];
    return {(x * c - z * s) / determinant, target.y - rows[3][1], (x * s + z * c) / determinant};
}

struct MeshObject {
    std::string_view name;
    MeshGeometry geometry;
    MatrixRows matrix;
    // Without the chunk the loader leaves every face in its default group.
    bool writeSmoothingGroups;
};

void writeFloatChunk(ChunkWriter& out, std::uint16_t id, float value)
{
    out.chunk(id, [&] { out.real(value); });
}

void writeMaterials(ChunkWriter& out)
{
    material(out, prismMaterial, [&](ChunkWriter&) {
        out.chunk(ChunkId::Ambient, [&] { colorBytes(out, 18, 24, 40); });
        out.chunk(ChunkId::Diffuse, [&] { colorBytes(out, 170, 196, 240); });
        out.chunk(ChunkId::Specular, [&] { colorFloats(out, 0.95f, 0.95f, 1.0f); });
        out.chunk(ChunkId::Shininess, [&] { percentWord(out, 80); });
        out.chunk(ChunkId::Transparency, [&] { out.chunk(ChunkId::PercentFloat, [&] { out.real(0.85f); }); });
        out.chunk(ChunkId::Shading, [&] { out.word(3); });
        out.chunk(ChunkId::TexMap1, [&] {
            percentWord(out, 60);
            out.chunk(ChunkId::MapFileName, [&] { out.string("quartz_veins.png"); });
            writeFloatChunk(out, ChunkId::MapScale1, 2.0f);
            writeFloatChunk(out, ChunkId::MapScale2, 3.0f);
            writeFloatChunk(out, ChunkId::MapOffset1, 0.25f);
            writeFloatChunk(out, ChunkId::MapOffset2, 0.5f);
            writeFloatChunk(out, ChunkId::MapAngle, 15.0f);
        });
    });
    material(out, tipMaterial, [&](ChunkWriter&) {
        out.chunk(ChunkId::Ambient, [&] { colorFloats(out, 0.1f, 0.12f, 0.2f); });
        out.chunk(ChunkId::Diffuse, [&] { colorFloats(out, 0.75f, 0.85f, 1.0f); });
        out.chunk(ChunkId::Specular, [&] { colorBytes(out, 255, 255, 255); });
        out.chunk(ChunkId::Shininess, [&] { percentWord(out, 95); });
        out.chunk(ChunkId::Transparency, [&] { percentWord(out, 90); });
        // An empty file name asks for an automatic reflection map.
        out.chunk(ChunkId::ReflectionMap, [&] {
            percentWord(out, 35);
            out.chunk(ChunkId::MapFileName, [&] { out.string(""); });
        });
    });
    material(out, pedestalMaterial, [&](ChunkWriter&) {
        out.chunk(ChunkId::Ambient, [&] { colorBytes(out, 30, 28, 26); });
        out.chunk(ChunkId::Diffuse, [&] { colorBytes(out, 120, 112, 104); });
        out.chunk(ChunkId::Specular, [&] { colorBytes(out, 40, 40, 40); });
        out.chunk(ChunkId::Shininess, [&] { percentWord(out, 10); });
        out.chunk(ChunkId::Shading, [&] { out.word(1); });
    });
}

std::string_view materialOf(Surface surface)
{
    switch (surface) {
        case Surface::CrystalPrism:
            return prismMaterial;
        case Surface::CrystalTip:
            return tipMaterial;
        case Surface::Pedestal:
            return pedestalMaterial;
    }
    throw std::logic_error("a surface without a material");
}

void writeFaceList(ChunkWriter& out, const MeshGeometry& geometry, bool withSmoothingGroups)
{
    const auto& triangles = geometry.triangles;
    std::vector<FaceCorners> corners;
    for (const MeshTriangle& triangle : triangles) {
        corners.push_back({triangle.a, triangle.b, triangle.c});
    }
    const auto subChunks = [&](ChunkWriter&) {
        for (std::string_view material : materialNames) {
            std::vector<std::uint16_t> faces;
            for (std::size_t i = 0; i < triangles.size(); ++i) {
                if (materialOf(triangles[i].surface) == material) {
                    faces.push_back(static_cast<std::uint16_t>(i));
                }
            }
            if (!faces.empty()) {
                faceMaterial(out, material, faces);
            }
        }
        if (withSmoothingGroups) {
            out.chunk(ChunkId::SmoothingGroups, [&] {
                for (const MeshTriangle& triangle : triangles) {
                    out.dword(triangle.smoothingGroup);
                }
            });
        }
    };
    faceList(out, corners, subChunks, faceFlags);
}

void writeMeshObject(ChunkWriter& out, const MeshObject& mesh)
{
    const MeshGeometry& geometry = mesh.geometry;
    meshObject(out, mesh.name, [&](ChunkWriter&) {
        std::vector<Vec3> stored;
        for (const Vec3d& position : geometry.positions) {
            const Vec3d local = untransformed(position, mesh.matrix);
            stored.push_back({static_cast<float>(local.x), static_cast<float>(local.y), static_cast<float>(local.z)});
        }
        vertexList(out, stored);
        if (!geometry.texCoords.empty()) {
            out.chunk(ChunkId::TexCoords, [&] {
                out.word(static_cast<std::uint16_t>(geometry.texCoords.size()));
                for (const TexCoord2d& texCoord : geometry.texCoords) {
                    reals(out, {static_cast<float>(texCoord.u), static_cast<float>(texCoord.v)});
                }
            });
        }
        out.chunk(ChunkId::LocalMatrix, [&] {
            for (const auto& row : mesh.matrix) {
                reals(out, {row[0], row[1], row[2]});
            }
        });
        writeFaceList(out, geometry, mesh.writeSmoothingGroups);
    });
}

void writeLights(ChunkWriter& out)
{
    objectBlock(out, lightNames[0], ChunkId::Light, [&](ChunkWriter&) {
        reals(out, {0.0f, 80.0f, 40.0f});
        colorFloats(out, 1.0f, 0.96f, 0.9f);
    });
    objectBlock(out, lightNames[1], ChunkId::Light, [&](ChunkWriter&) {
        reals(out, {-30.0f, 70.0f, 60.0f});
        colorBytes(out, 200, 220, 255);
        out.chunk(ChunkId::Spotlight, [&] {
            reals(out, {0.0f, 20.0f, 0.0f});  // target
            reals(out, {30.0f, 45.0f});       // hotspot and falloff, degrees
        });
    });
}

// A track header (flags, two unused dwords, the key count) with one key at frame 0.
void writeTrack(ChunkWriter& out, std::uint16_t id, std::initializer_list<float> key)
{
    out.chunk(id, [&] {
        out.word(0);
        out.dword(0);
        out.dword(0);
        out.dword(1);
        out.dword(0);
        out.word(0);
        reals(out, key);
    });
}

void writeKeyframer(ChunkWriter& out, const std::vector<MeshObject>& meshes)
{
    out.chunk(ChunkId::Keyframer, [&] {
        for (const MeshObject& mesh : meshes) {
            out.chunk(ChunkId::ObjectNode, [&] {
                out.chunk(ChunkId::NodeHeader, [&] {
                    out.string(mesh.name);
                    out.word(0x4000);
                    out.word(0);
                    out.word(0xFFFF);  // no parent node
                });
                out.chunk(ChunkId::Pivot, [&] { reals(out, {0.0f, 0.0f, 0.0f}); });
                const auto& shiftRow = mesh.matrix[3];
                writeTrack(out, ChunkId::PositionTrack, {shiftRow[0], shiftRow[1], shiftRow[2]});
                writeTrack(out, ChunkId::RotationTrack, {0.0f, 0.0f, 1.0f, 0.0f});
                writeTrack(out, ChunkId::ScaleTrack, {1.0f, 1.0f, 1.0f});
            });
        }
    });
}

std::vector<MeshObject> modelMeshes()
{
    std::vector<MeshObject> meshes;
    meshes.push_back({crystalMeshName, buildCrystalMesh(layOutCrystalCluster()), crystalMatrix, true});
    meshes.push_back({pedestalMeshName, buildPedestalMesh(), identityMatrix, false});
    return meshes;
}

}  // namespace

CrystalModelSummary crystalModelSummary()
{
    const std::vector<MeshObject> meshes = modelMeshes();
    return {static_cast<std::uint32_t>(meshes.size()), static_cast<std::uint32_t>(lightNames.size()),
            static_cast<std::uint32_t>(materialNames.size()), static_cast<std::uint32_t>(layOutCrystalCluster().size()),
            static_cast<std::uint32_t>(meshes.front().geometry.triangles.size())};
}

std::vector<std::uint8_t> crystalModelBytes()
{
    const std::vector<MeshObject> meshes = modelMeshes();
    ChunkWriter out;
    out.chunk(ChunkId::Main, [&] {
        out.chunk(ChunkId::Version, [&] { out.dword(3); });
        out.chunk(ChunkId::Editor, [&] {
            out.chunk(ChunkId::MeshVersion, [&] { out.dword(3); });
            writeMaterials(out);
            out.chunk(ChunkId::MasterScale, [&] { out.real(1.0f); });
            for (const MeshObject& mesh : meshes) {
                writeMeshObject(out, mesh);
            }
            writeLights(out);
        });
        writeKeyframer(out, meshes);
    });
    return out.bytes();
}

void writeCrystalModel(const std::filesystem::path& path)
{
    if (!writeFileBytes(path, crystalModelBytes())) {
        throw std::runtime_error("cannot write " + path.string());
    }
}
