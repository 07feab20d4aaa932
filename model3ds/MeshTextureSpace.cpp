#include "model3ds/LMesh.h"
#include "model3ds/MeshVectorMath.h"
#include "model3ds/VertexFaceLists.h"

#include <cstddef>

namespace {

Vec3 divide(Vec3 vector, float divisor) { return {vector.x / divisor, vector.y / divisor, vector.z / divisor}; }

// The directions in which u and v grow across the face. Texture coordinates that span no
// area (r = 0, as in a mesh without any) give non-finite results on purpose: they mark the
// face's vertices as having no texture space.
void setFaceTextureSpace(const LMesh& mesh, LFace& face)
{
    const Vec3 cornerA = positionOf(mesh.m_vertices[face.a]);
    const Vec3 edge1 = positionOf(mesh.m_vertices[face.b]) - cornerA;
    const Vec3 edge2 = positionOf(mesh.m_vertices[face.c]) - cornerA;
    const LTexCoord texA = mesh.m_texCoords[face.a];
    const LTexCoord texB = mesh.m_texCoords[face.b];
    const LTexCoord texC = mesh.m_texCoords[face.c];
    const float du1 = texB.u - texA.u;
    const float dv1 = texB.v - texA.v;
    const float du2 = texC.u - texA.u;
    const float dv2 = texC.v - texA.v;
    const float r = dv2 * du1 - du2 * dv1;
    face.tangent = -divide(edge2 * dv1 - edge1 * dv2, r);
    face.binormal = -divide(edge1 * du2 - edge2 * du1, r);
}

}  // namespace

// The face binormals take no part in the vertex binormals, which follow from the vertex
// tangent and normal alone.
void LMesh::calcTextureSpace()
{
    for (LFace& face : m_faces) {
        setFaceTextureSpace(*this, face);
    }

    const VertexFaceLists lists(m_faces, m_vertices.size());
    for (std::size_t vertex = 0; vertex < m_vertices.size(); ++vertex) {
        const Vec3 tangent = normalizeKeepingZero(lists.sumOverFaces(vertex, m_faces, &LFace::tangent));
        m_tangents[vertex] = tangent;
        m_binormals[vertex] = normalizeKeepingZero(cross(tangent, m_normals[vertex]));
    }
}
