#include "tools/crystal/CrystalModelFile.h"

#include "tools/chunkwriter/ChunkWriter.h"
#include "tools/crystal/CrystalCluster.h"
#include "tools/crystal/ModelMeshes.h"

#include <array>
#include <fstream>
#include <initializer_list>
#include <stdexcept>
#include <string_view>

namespace {

namespace chunk {
constexpr std::uint16_t main = 0x4D4D;
constexpr std::uint16_t version = 0x0002;
constexpr std::uint16_t editor = 0x3D3D;
constexpr std::uint16_t meshVersion = 0x3D3E;
constexpr std::uint16_t masterScale = 0x0100;
constexpr std::uint16_t colorFloat = 0x0010;
constexpr std::uint16_t colorBytes = 0x0011;
constexpr std::uint16_t percentWord = 0x0030;
constexpr std::uint16_t percentFloat = 0x0031;
constexpr std::uint16_t material = 0xAFFF;
constexpr std::uint16_t materialName = 0xA000;
constexpr std::uint16_t ambient = 0xA010;
constexpr std::uint16_t diffuse = 0xA020;
constexpr std::uint16_t specular = 0xA030;
constexpr std::uint16_t shininess = 0xA040;
constexpr std::uint16_t transparency = 0xA050;
constexpr std::uint16_t shading = 0xA100;
constexpr std::uint16_t textureMap = 0xA200;
constexpr std::uint16_t reflectionMap = 0xA220;
constexpr std::uint16_t mapFileName = 0xA300;
constexpr std::uint16_t mapScaleU = 0xA354;
constexpr std::uint16_t mapScaleV = 0xA356;
constexpr std::uint16_t mapOffsetU = 0xA358;
constexpr std::uint16_t mapOffsetV = 0xA35A;
constexpr std::uint16_t mapAngle = 0xA35C;
constexpr std::uint16_t object = 0x4000;
constexpr std::uint16_t mesh = 0x4100;
constexpr std::uint16_t vertices = 0x4110;
constexpr std::uint16_t faces = 0x4120;
constexpr std::uint16_t faceMaterial = 0x4130;
constexpr std::uint16_t texCoords = 0x4140;
constexpr std::uint16_t smoothingGroups = 0x4150;
constexpr std::uint16_t localMatrix = 0x4160;
constexpr std::uint16_t light = 0x4600;
constexpr std::uint16_t spotlight = 0x4610;
constexpr std::uint16_t keyframer = 0xB000;
constexpr std::uint16_t objectNode = 0xB002;
constexpr std::uint16_t nodeHeader = 0xB010;
constexpr std::uint16_t pivot = 0xB013;
constexpr std::uint16_t positionTrack = 0xB020;
constexpr std::uint16_t rotationTrack = 0xB021;
constexpr std::uint16_t scaleTrack = 0xB022;
}  // namespace chunk

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

void writeColorBytes(ChunkWriter& out, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    out.chunk(chunk::colorBytes, [&] {
        out.byte(r);
        out.byte(g);
        out.byte(b);
    });
}

void writeColorFloats(ChunkWriter& out, float r, float g, float b)
{
    out.chunk(chunk::colorFloat, [&] {
        out.real(r);
        out.real(g);
        out.real(b);
    });
}

void writePercentWord(ChunkWriter& out, std::uint16_t id, std::int16_t percent)
{
    out.chunk(id, [&] { out.chunk(chunk::percentWord, [&] { out.word(static_cast<std::uint16_t>(percent)); }); });
}

void writeFloatChunk(ChunkWriter& out, std::uint16_t id, float value)
{
    out.chunk(id, [&] { out.real(value); });
}

void writeMaterials(ChunkWriter& out)
{
    out.chunk(chunk::material, [&] {
        out.chunk(chunk::materialName, [&] { out.string(prismMaterial); });
        out.chunk(chunk::ambient, [&] { writeColorBytes(out, 18, 24, 40); });
        out.chunk(chunk::diffuse, [&] { writeColorBytes(out, 170, 196, 240); });
        out.chunk(chunk::specular, [&] { writeColorFloats(out, 0.95f, 0.95f, 1.0f); });
        writePercentWord(out, chunk::shininess, 80);
        out.chunk(chunk::transparency, [&] { out.chunk(chunk::percentFloat, [&] { out.real(0.85f); }); });
        out.chunk(chunk::shading, [&] { out.word(3); });
        out.chunk(chunk::textureMap, [&] {
            out.chunk(chunk::percentWord, [&] { out.word(60); });
            out.chunk(chunk::mapFileName, [&] { out.string("quartz_veins.png"); });
            writeFloatChunk(out, chunk::mapScaleU, 2.0f);
            writeFloatChunk(out, chunk::mapScaleV, 3.0f);
            writeFloatChunk(out, chunk::mapOffsetU, 0.25f);
            writeFloatChunk(out, chunk::mapOffsetV, 0.5f);
            writeFloatChunk(out, chunk::mapAngle, 15.0f);
        });
    });
    out.chunk(chunk::material, [&] {
        out.chunk(chunk::materialName, [&] { out.string(tipMaterial); });
        out.chunk(chunk::ambient, [&] { writeColorFloats(out, 0.1f, 0.12f, 0.2f); });
        out.chunk(chunk::diffuse, [&] { writeColorFloats(out, 0.75f, 0.85f, 1.0f); });
        out.chunk(chunk::specular, [&] { writeColorBytes(out, 255, 255, 255); });
        writePercentWord(out, chunk::shininess, 95);
        writePercentWord(out, chunk::transparency, 90);
        // An empty file name asks for an automatic reflection map.
        out.chunk(chunk::reflectionMap, [&] {
            out.chunk(chunk::percentWord, [&] { out.word(35); });
            out.chunk(chunk::mapFileName, [&] { out.string(""); });
        });
    });
    out.chunk(chunk::material, [&] {
        out.chunk(chunk::materialName, [&] { out.string(pedestalMaterial); });
        out.chunk(chunk::ambient, [&] { writeColorBytes(out, 30, 28, 26); });
        out.chunk(chunk::diffuse, [&] { writeColorBytes(out, 120, 112, 104); });
        out.chunk(chunk::specular, [&] { writeColorBytes(out, 40, 40, 40); });
        writePercentWord(out, chunk::shininess, 10);
        out.chunk(chunk::shading, [&] { out.word(1); });
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
    out.chunk(chunk::faces, [&] {
        out.word(static_cast<std::uint16_t>(triangles.size()));
        for (const MeshTriangle& triangle : triangles) {
            out.word(triangle.a);
            out.word(triangle.b);
            out.word(triangle.c);
            out.word(faceFlags);
        }
        for (std::string_view material : materialNames) {
            std::vector<std::uint16_t> faces;
            for (std::size_t i = 0; i < triangles.size(); ++i) {
                if (materialOf(triangles[i].surface) == material) {
                    faces.push_back(static_cast<std::uint16_t>(i));
                }
            }
            if (faces.empty()) {
                continue;
            }
            out.chunk(chunk::faceMaterial, [&] {
                out.string(material);
                out.word(static_cast<std::uint16_t>(faces.size()));
                for (std::uint16_t face : faces) {
                    out.word(face);
                }
            });
        }
        if (withSmoothingGroups) {
            out.chunk(chunk::smoothingGroups, [&] {
                for (const MeshTriangle& triangle : triangles) {
                    out.dword(triangle.smoothingGroup);
                }
            });
        }
    });
}

void writeMeshObject(ChunkWriter& out, const MeshObject& mesh)
{
    const MeshGeometry& geometry = mesh.geometry;
    out.chunk(chunk::object, [&] {
        out.string(mesh.name);
        out.chunk(chunk::mesh, [&] {
            out.chunk(chunk::vertices, [&] {
                out.word(static_cast<std::uint16_t>(geometry.positions.size()));
                for (const Vec3d& position : geometry.positions) {
                    const Vec3d stored = untransformed(position, mesh.matrix);
                    out.real(static_cast<float>(stored.x));
                    out.real(static_cast<float>(stored.y));
                    out.real(static_cast<float>(stored.z));
                }
            });
            if (!geometry.texCoords.empty()) {
                out.chunk(chunk::texCoords, [&] {
                    out.word(static_cast<std::uint16_t>(geometry.texCoords.size()));
                    for (const TexCoord2d& texCoord : geometry.texCoords) {
                        out.real(static_cast<float>(texCoord.u));
                        out.real(static_cast<float>(texCoord.v));
                    }
                });
            }
            out.chunk(chunk::localMatrix, [&] {
                for (const auto& row : mesh.matrix) {
                    for (float value : row) {
                        out.real(value);
                    }
                }
            });
            writeFaceList(out, geometry, mesh.writeSmoothingGroups);
        });
    });
}

void writeLights(ChunkWriter& out)
{
    out.chunk(chunk::object, [&] {
        out.string(lightNames[0]);
        out.chunk(chunk::light, [&] {
            out.real(0.0f);
            out.real(80.0f);
            out.real(40.0f);
            writeColorFloats(out, 1.0f, 0.96f, 0.9f);
        });
    });
    out.chunk(chunk::object, [&] {
        out.string(lightNames[1]);
        out.chunk(chunk::light, [&] {
            out.real(-30.0f);
            out.real(70.0f);
            out.real(60.0f);
            writeColorBytes(out, 200, 220, 255);
            out.chunk(chunk::spotlight, [&] {
                out.real(0.0f);
                out.real(20.0f);
                out.real(0.0f);
                out.real(30.0f);  // hotspot, degrees
                out.real(45.0f);  // falloff, degrees
            });
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
        for (float value : key) {
            out.real(value);
        }
    });
}

void writeKeyframer(ChunkWriter& out, const std::vector<MeshObject>& meshes)
{
    out.chunk(chunk::keyframer, [&] {
        for (const MeshObject& mesh : meshes) {
            out.chunk(chunk::objectNode, [&] {
                out.chunk(chunk::nodeHeader, [&] {
                    out.string(mesh.name);
                    out.word(0x4000);
                    out.word(0);
                    out.word(0xFFFF);  // no parent node
                });
                out.chunk(chunk::pivot, [&] {
                    out.real(0.0f);
                    out.real(0.0f);
                    out.real(0.0f);
                });
                const auto& shiftRow = mesh.matrix[3];
                writeTrack(out, chunk::positionTrack, {shiftRow[0], shiftRow[1], shiftRow[2]});
                writeTrack(out, chunk::rotationTrack, {0.0f, 0.0f, 1.0f, 0.0f});
                writeTrack(out, chunk::scaleTrack, {1.0f, 1.0f, 1.0f});
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
    out.chunk(chunk::main, [&] {
        out.chunk(chunk::version, [&] { out.dword(3); });
        out.chunk(chunk::editor, [&] {
            out.chunk(chunk::meshVersion, [&] { out.dword(3); });
            writeMaterials(out);
            out.chunk(chunk::masterScale, [&] { out.real(1.0f); });
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
    const std::vector<std::uint8_t> bytes = crystalModelBytes();
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        throw std::runtime_error("cannot write " + path.string());
    }
}
