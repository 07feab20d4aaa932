#include "model3ds/VertexFaceLists.h"

VertexFaceLists::VertexFaceLists(const std::vector<LFace>& faces, std::size_t vertexCount)
    : m_listStarts(vertexCount + 1, 0), m_faceNumbers(faces.size() * 3)
{
    for (const LFace& face : faces) {
        ++m_listStarts[face.a + 1];
        ++m_listStarts[face.b + 1];
        ++m_listStarts[face.c + 1];
    }
    for (std::size_t vertex = 0; vertex < vertexCount; ++vertex) {
        m_listStarts[vertex + 1] += m_listStarts[vertex];
    }

    std::vector<std::uint32_t> nextSlot(m_listStarts.begin(), m_listStarts.end() - 1);
    for (std::uint32_t faceNumber = 0; faceNumber < faces.size(); ++faceNumber) {
        const LFace& face = faces[faceNumber];
        m_faceNumbers[nextSlot[face.a]++] = faceNumber;
        m_faceNumbers[nextSlot[face.b]++] = faceNumber;
        m_faceNumbers[nextSlot[face.c]++] = faceNumber;
    }
}

std::span<const std::uint32_t> VertexFaceLists::facesOf(std::size_t vertex) const
{
    const std::uint32_t begin = m_listStarts[vertex];
    return {m_faceNumbers.data() + begin, m_listStarts[vertex + 1] - begin};
}

Vec3 VertexFaceLists::sumOverFaces(std::size_t vertex, const std::vector<LFace>& faces, Vec3 LFace::*field) const
{
    Vec3 sum{0.0f, 0.0f, 0.0f};
    for (const std::uint32_t faceNumber : facesOf(vertex)) {
        sum = sum + faces[faceNumber].*field;
    }
    return sum;
}
