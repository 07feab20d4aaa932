#pragma once

#include "model3ds/LMesh.h"
#include "maths/Vec3.h"

// The position of a mesh vertex, without its w.
inline Vec3 positionOf(const LVertex& vertex) { return {vertex.x, vertex.y, vertex.z}; }

// Unlike the tracer's normalize, a zero vector stays zero: degenerate faces and unused
// vertices keep a zero normal instead of turning non-finite.
inline Vec3 normalizeKeepingZero(Vec3 vector)
{
    const float vectorLength = length(vector);
    if (vectorLength == 0.0f) {
        return vector;
    }
    return vector * (1.0f / vectorLength);
}
