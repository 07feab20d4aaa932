#include "model3ds/LMesh.h"

#include <algorithm>
#include <iterator>

void LMatrix::setIdentity()
{
    std::fill(std::begin(m), std::end(m), 0.0f);
    m[0] = 1.0f;
    m[5] = 1.0f;
    m[10] = 1.0f;
    m[15] = 1.0f;
}

LMesh::LMesh() { m_localMatrix.setIdentity(); }

// The lists release their own storage; the matrix returns to identity, the state in which
// every mesh both starts and ends.
LMesh::~LMesh() { m_localMatrix.setIdentity(); }

void LMesh::resizeVertexLists(std::size_t count)
{
    m_vertices.resize(count, LVertex{});
    m_normals.resize(count, Vec3{});
    m_binormals.resize(count, Vec3{});
    m_tangents.resize(count, Vec3{});
    m_texCoords.resize(count, LTexCoord{});
}

void LMesh::transformVertices()
{
    const float* matrix = m_localMatrix.m;
    for (LVertex& vertex : m_vertices) {
        const auto columnProduct = [&vertex, matrix](int column) {
            return vertex.x * matrix[column] + vertex.y * matrix[4 + column] + vertex.z * matrix[8 + column] +
                   vertex.w * matrix[12 + column];
        };
        float x = columnProduct(0);
        float y = columnProduct(1);
        float z = columnProduct(2);
        const float t = columnProduct(3);
        // A projective matrix may map a point to t = 0; the point then stays unscaled.
        if (t != 0.0f) {
            const float reciprocal = 1.0f / t;
            x = x * reciprocal;
            y = y * reciprocal;
            z = z * reciprocal;
        }
        vertex = {x, y, z, 1.0f};
    }
    // The vertices are now in place, so a second call changes nothing.
    m_localMatrix.setIdentity();
}
