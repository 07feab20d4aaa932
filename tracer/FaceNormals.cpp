#include "tracer/FaceNormals.h"

#include "tracer/TriangleCorners.h"

#include <algorithm>
#include <cmath>

namespace {

Vec3 normalOf(const TriangleCorners& corners) { return triangleNormal(corners.p0, corners.p1, corners.p2); }

bool nearUnitLength(Vec3 normal)
{
    const double squaredLength =
        double{normal.x} * normal.x + double{normal.y} * normal.y + double{normal.z} * normal.z;
    // False for NaN as well.
    return std::fabs(squaredLength - 1.0) <= 0x1p-20;
}

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
    normals.allNearUnitLength = std::all_of(normals.model.begin(), normals.model.end(), nearUnitLength) &&
                                std::all_of(normals.mirror.begin(), normals.mirror.end(), nearUnitLength);
    return normals;
}
