#pragma once

#include "model3ds/LMesh.h"
#include "maths/Vec3.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// For every vertex of a mesh, the numbers of the faces that use it: faces in order, and within
// a face its corners a, b, c in order, so a face naming a vertex twice is listed twice there.
// All lists share one array, so building them is linear in the number of faces and vertices.
class VertexFaceLists {
public:
    // Every corner of every face must be below vertexCount.
    VertexFaceLists(const std::vector<LFace>& faces, std::size_t vertexCount);

    std::span<const std::uint32_t> facesOf(std::size_t vertex) const;
    // The sum, from zero and in list order, of one vector of every face in the vertex's list.
    Vec3 sumOverFaces(std::size_t vertex, const std::vector<LFace>& faces, Vec3 LFace::*field) const;

private:
    // The list of vertex v is m_faceNumbers[m_listStarts[v]] up to m_faceNumbers[m_listStarts[v + 1]].
    std::vector<std::uint32_t> m_listStarts;
    std::vector<std::uint32_t> m_faceNumbers;
};
