#include "tracer/FaceNormals.h"

#include "tracer/TriangleCorners.h"

namespace {

Vec3 normalOf(const TriangleCorners& corners) { return triangleNormal(corners.p0, corners.p1, corners.p2); }

}  // namespace

FaceNormals faceNormalsOf(const Scene& scene)
{
    FaceNormals normals;
    if (scene.hasModelMesh()) {
        const LMesh& mesh = scene.modelMesh();
        for (std::size_t face = 0; face < mesh.m_faceIndices.size(); ++face) {
            normals.model.push_back(normalOf(meshTriangleCorners(mesh, face)));
        }
    }
    for (std::size_t triangle = 0; triangle < scene.m_mirror.triangles.size(); ++triangle) {
        normals.mirror.push_back(normalOf(listTriangleCorners(scene.m_mirror, triangle)));
    }
    return normals;
}
