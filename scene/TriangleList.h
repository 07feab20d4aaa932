#pragma once

#include "maths/Vec3.h"

#include <cstdint>
#include <vector>

struct TriangleIndices {
    std::uint32_t a;
    std::uint32_t b;
    std::uint32_t c;
};

// A small fixed surface of the room: corner points in world coordinates and triangles
// that index them.
struct TriangleList {
    std::vector<Vec3> vertices;
    std::vector<TriangleIndices> triangles;
};
