#pragma once

#include "maths/Vec3.h"
#include "scene/Scene.h"

#include <vector>

// The unit normal of every triangle that turns rays, computed once from the scene instead of at
// every hit: the model's faces in model coordinates (empty without a model mesh) and the
// mirror's triangles, each by triangleNormal from its corners, so the bits are those of the
// normal computed at the hit.
struct FaceNormals {
    std::vector<Vec3> model;
    std::vector<Vec3> mirror;
    // Whether every normal, of both, is finite and of unit length within 2^-20.
    bool allNearUnitLength = true;
};

FaceNormals faceNormalsOf(const Scene& scene);
