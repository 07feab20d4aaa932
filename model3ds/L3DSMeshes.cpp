#include "model3ds/L3DS.h"
#include "model3ds/L3DSChunkIds.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

constexpr int maxFaceMaterialName = 20;
// Bytes in the file per vertex (x, y, z), texture coordinate (u, v) and face (a, b, c, flags).
constexpr std::uint32_t vertexRecordSize = 12;
constexpr std::uint32_t texCoordRecordSize = 8;
constexpr std::uint32_t faceRecordSize = 8;
// A face that no face-material chunk names has no material.
constexpr std::int32_t noMaterial = -1;

// A face naming a vertex that does not exist cannot be post-processed or drawn. Dropping
// such faces repairs the mesh and keeps the rest of the model, where rejecting the file
// would lose it all. m_faceIndices holds only zeros until post-processing fills it, so it
// simply follows the face count.
void dropFacesPastVertices(LMesh& mesh)
{
    const std::size_t vertexCount = mesh.m_vertices.size();
    std::erase_if(mesh.m_faces, [vertexCount](const LFace& face) {
        return face.a >= vertexCount || face.b >= vertexCount || face.c >= vertexCount;
    });
    mesh.m_faceIndices.resize(mesh.m_faces.size());
}

}  // namespace

// Sub-chunks may come in any order.
void L3DS::readMesh(const LChunk& chunk)
{
    LMesh mesh;
    mesh.setName(m_objName);
    LChunk sub;
    for (std::uint32_t offset = chunk.start; readSubChunk(offset, chunk, sub); offset = sub.end) {
        switch (sub.id) {
            case ChunkId::VertexList:
                readVertices(sub, mesh);
                break;
            case ChunkId::TexCoords:
                readTexCoords(sub, mesh);
                break;
            case ChunkId::LocalMatrix:
                readLocalMatrix(mesh);
                break;
            case ChunkId::FaceList:
                readFaceList(sub, mesh);
                break;
            default:
                break;
        }
    }
    dropFacesPastVertices(mesh);
    m_meshes.push_back(std::move(mesh));
}

// A count is believed only as far as its chunk has room for the records. A lying count
// would otherwise let every few bytes of a file claim megabytes of lists; a file cut short
// keeps its chunk lengths, so its counts still size the lists and missing values read as 0.
std::uint16_t L3DS::readCount(const LChunk& chunk, std::uint32_t recordSize)
{
    const std::uint16_t count = readWord();
    const std::uint32_t room = chunk.end > m_readPos ? (chunk.end - m_readPos) / recordSize : 0;
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(count, room));
}

void L3DS::readVertices(const LChunk& chunk, LMesh& mesh)
{
    mesh.resizeVertexLists(readCount(chunk, vertexRecordSize));
    for (LVertex& vertex : mesh.m_vertices) {
        const Vec3 position = readVector();
        vertex = {position.x, position.y, position.z, 1.0f};
    }
}

// Before any vertex list the coordinates size the per-vertex lists themselves. Records past
// the vertex count have nowhere to go and are left unread.
void L3DS::readTexCoords(const LChunk& chunk, LMesh& mesh)
{
    const std::uint16_t count = readCount(chunk, texCoordRecordSize);
    if (mesh.m_vertices.empty()) {
        mesh.resizeVertexLists(count);
    }
    const std::size_t stored = std::min<std::size_t>(count, mesh.m_vertices.size());
    for (std::size_t i = 0; i < stored; ++i) {
        const float u = readFloat();
        const float v = readFloat();
        mesh.m_texCoords[i] = {u, v};
    }
}

// Four rows of three: the axes, then the origin. Column 3 completes an affine matrix.
void L3DS::readLocalMatrix(LMesh& mesh)
{
    float* element = mesh.m_localMatrix.m;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) {
            element[4 * row + column] = readFloat();
        }
        element[4 * row + 3] = row == 3 ? 1.0f : 0.0f;
    }
}

void L3DS::readFaceList(const LChunk& chunk, LMesh& mesh)
{
    gotoChunk(chunk);
    const std::uint16_t count = readCount(chunk, faceRecordSize);
    mesh.m_faces.resize(count);
    mesh.m_faceIndices.resize(count);
    const Vec3 zero{0.0f, 0.0f, 0.0f};
    for (LFace& face : mesh.m_faces) {
        const std::uint16_t a = readWord();
        const std::uint16_t b = readWord();
        const std::uint16_t c = readWord();
        readWord();  // edge visibility flags, not kept
        face = {a, b, c, 1, zero, zero, zero, noMaterial};
    }

    LChunk sub;
    for (std::uint32_t offset = m_readPos; readSubChunk(offset, chunk, sub); offset = sub.end) {
        switch (sub.id) {
            case ChunkId::FaceMaterial:
                readFaceMaterial(mesh);
                break;
            case ChunkId::SmoothingGroups:
                for (LFace& face : mesh.m_faces) {
                    face.smoothingGroup = readDword();
                }
                break;
            default:
                break;
        }
    }
}

// A chunk naming no known material is skipped, and so is a face number past the face list.
void L3DS::readFaceMaterial(LMesh& mesh)
{
    char name[maxFaceMaterialName];
    // A longer name keeps its first characters; the rest is skipped so that the count and
    // the face numbers are read from their own place.
    if (readString(name, maxFaceMaterialName) == maxFaceMaterialName - 1 && m_buffer[m_readPos - 1] != 0) {
        skipString();
    }
    const auto found = m_materialsByName.find(name);
    if (found == m_materialsByName.end()) {
        return;
    }
    const LMaterial* material = found->second;
    mesh.m_materialIds.push_back(material->m_id);
    const std::uint16_t count = readWord();
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::uint16_t face = readWord();
        if (face < mesh.m_faces.size()) {
            mesh.m_faces[face].materialId = material->m_id;
        }
    }
}
