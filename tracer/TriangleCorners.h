#pragma once

#include "maths/Vec3.h"
#include "model3ds/LMesh.h"
#include "scene/TriangleList.h"

#include <cstddef>

// The three corners of one triangle, in index order a, b, c.
struct TriangleCorners {
    Vec3 p0;
    Vec3 p1;
    Vec3 p2;
};

inline TriangleCorners listTriangleCorners(const TriangleList& list, std::size_t triangle)
{
    const TriangleIndices& indices = list.triangles[triangle];
    return {list.vertices[indices.a], list.vertices[indices.b], list.vertices[indices.c]};
}

// In model coordinates; the w of each vertex plays no part.
inline TriangleCorners meshTriangleCorners(const LMesh& mesh, std::size_t face)
{
    const LFaceIndices& indices = mesh.m_faceIndices[face];
    const LVertex& a = mesh.m_vertices[indices.a];
    const LVertex& b = mesh.m_vertices[indices.b];
    const LVertex& c = mesh.m_vertices[indices.c];
    return {{a.x, a.y, a.z}, {b.x, b.y, b.z}, {c.x, c.y, c.z}};
}
