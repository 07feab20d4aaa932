#include "model3ds/LMesh.h"
#include "model3ds/MeshVectorMath.h"
#include "model3ds/VertexFaceLists.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t highestVertexNumber = std::numeric_limits<std::uint16_t>::max();

Vec3 faceNormal(const LMesh& mesh, const LFace& face)
{
    const Vec3 cornerA = positionOf(mesh.m_vertices[face.a]);
    const Vec3 cornerB = positionOf(mesh.m_vertices[face.b]);
    const Vec3 cornerC = positionOf(mesh.m_vertices[face.c]);
    return normalizeKeepingZero(cross(cornerB - cornerC, cornerB - cornerA));
}

std::uint16_t appendVertexCopy(LMesh& mesh, std::uint16_t vertex)
{
    const LVertex position = mesh.m_vertices[vertex];
    const Vec3 normal = mesh.m_normals[vertex];
    const LTexCoord texCoord = mesh.m_texCoords[vertex];
    const Vec3 tangent = mesh.m_tangents[vertex];
    const Vec3 binormal = mesh.m_binormals[vertex];
    mesh.m_vertices.push_back(position);
    mesh.m_normals.push_back(normal);
    mesh.m_texCoords.push_back(texCoord);
    mesh.m_tangents.push_back(tangent);
    mesh.m_binormals.push_back(binormal);
    return static_cast<std::uint16_t>(mesh.m_vertices.size() - 1);
}

void renumberCorners(LFace& face, std::uint16_t from, std::uint16_t to)
{
    for (std::uint16_t* corner : {&face.a, &face.b, &face.c}) {
        if (*corner == from) {
            *corner = to;
        }
    }
}

// Working storage reused from one vertex to the next.
struct SmoothingGroupScratch {
    // (smoothing word, position in the vertex's face list), sorted: each group is one run.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> wordAndPosition;
    // Where each run starts, ordered by the first face of the group in the vertex's list.
    std::vector<std::size_t> groupStarts;
};

// Gives every smoothing group around the vertex except the first its own copy of the vertex.
// Sorting keeps this O(k log k) for k faces even when each face has its own word. Returns
// false when a copy would need a number beyond 16 bits: splitting then stops for the whole
// mesh, and the faces not yet moved keep sharing the vertex rather than wrapping to vertex 0.
bool splitBySmoothingGroup(LMesh& mesh, std::uint16_t vertex, std::span<const std::uint32_t> faceNumbers,
                           SmoothingGroupScratch& scratch)
{
    auto& keyed = scratch.wordAndPosition;
    keyed.clear();
    for (std::uint32_t position = 0; position < faceNumbers.size(); ++position) {
        keyed.emplace_back(mesh.m_faces[faceNumbers[position]].smoothingGroup, position);
    }
    std::sort(keyed.begin(), keyed.end());

    auto& groupStarts = scratch.groupStarts;
    groupStarts.clear();
    for (std::size_t index = 0; index < keyed.size(); ++index) {
        if (index == 0 || keyed[index].first != keyed[index - 1].first) {
            groupStarts.push_back(index);
        }
    }
    std::sort(groupStarts.begin(), groupStarts.end(),
              [&keyed](std::size_t left, std::size_t right) { return keyed[left].second < keyed[right].second; });

    for (std::size_t group = 1; group < groupStarts.size(); ++group) {
        if (mesh.m_vertices.size() > highestVertexNumber) {
            return false;
        }
        const std::uint16_t copy = appendVertexCopy(mesh, vertex);
        const std::uint32_t word = keyed[groupStarts[group]].first;
        for (std::size_t index = groupStarts[group]; index < keyed.size() && keyed[index].first == word; ++index) {
            renumberCorners(mesh.m_faces[faceNumbers[keyed[index].second]], vertex, copy);
        }
    }
    return true;
}

// Splitting only renumbers corners equal to the vertex being split, so the lists built
// before it still name the right faces for every vertex not yet visited.
void splitAllBySmoothingGroup(LMesh& mesh, const VertexFaceLists& lists)
{
    const std::size_t originalVertexCount = mesh.m_vertices.size();
    SmoothingGroupScratch scratch;
    for (std::size_t vertex = 0; vertex < originalVertexCount; ++vertex) {
        const std::span<const std::uint32_t> faceNumbers = lists.facesOf(vertex);
        // Only vertices that faces name have a list, and faces name 16-bit numbers only.
        if (!faceNumbers.empty() &&
            !splitBySmoothingGroup(mesh, static_cast<std::uint16_t>(vertex), faceNumbers, scratch)) {
            return;
        }
    }
}

}  // namespace

void LMesh::calcNormals(bool useSmoothingGroups)
{
    for (LFace& face : m_faces) {
        face.normal = faceNormal(*this, face);
    }

    if (useSmoothingGroups) {
        splitAllBySmoothingGroup(*this, VertexFaceLists(m_faces, m_vertices.size()));
    }

    const VertexFaceLists lists(m_faces, m_vertices.size());
    for (std::size_t vertex = 0; vertex < m_vertices.size(); ++vertex) {
        m_normals[vertex] = normalizeKeepingZero(lists.sumOverFaces(vertex, m_faces, &LFace::normal));
    }

    m_faceIndices.clear();
    m_faceIndices.reserve(m_faces.size());
    for (const LFace& face : m_faces) {
        m_faceIndices.push_back({face.a, face.b, face.c});
    }
}
