#pragma once

#include "model3ds/LObject.h"
#include "maths/Vec3.h"

#include <cstdint>
#include <vector>

struct LVertex {
    float x;
    float y;
    float z;
    float w;
};

struct LTexCoord {
    float u;
    float v;
};

struct LFaceIndices {
    std::uint16_t a;
    std::uint16_t b;
    std::uint16_t c;
};

struct LFace {
    std::uint16_t a;
    std::uint16_t b;
    std::uint16_t c;
    std::uint32_t smoothingGroup;
    Vec3 normal;
    Vec3 tangent;
    Vec3 binormal;
    std::int32_t materialId;
};

// 4 x 4, row by row (element of row r, column c at 4r + c). Points are row vectors
// multiplied from the left, so row 3 holds the translation.
struct LMatrix {
    float m[16];

    void setIdentity();
};

// One triangle mesh of a model. The five per-vertex lists always have equal length;
// m_faceIndices and m_faces have equal length, the face count.
class LMesh : public LObject {
public:
    LMesh();
    ~LMesh() override;
    LMesh(const LMesh&) = default;
    LMesh& operator=(const LMesh&) = default;
    LMesh(LMesh&&) noexcept = default;
    LMesh& operator=(LMesh&&) noexcept = default;

    // Post-processing, run once after the whole file has been read.
    void transformVertices();
    void calcNormals(bool useSmoothingGroups);
    void calcTextureSpace();

    // Sizes the five per-vertex lists together; new entries are zero.
    void resizeVertexLists(std::size_t count);

    std::vector<LVertex> m_vertices;
    std::vector<Vec3> m_normals;
    std::vector<Vec3> m_binormals;
    std::vector<Vec3> m_tangents;
    std::vector<LTexCoord> m_texCoords;
    std::vector<LFaceIndices> m_faceIndices;
    std::vector<LFace> m_faces;
    LMatrix m_localMatrix;
    std::vector<std::int32_t> m_materialIds;
};
