#pragma once

#include "maths/Vec3.h"
#include "tracer/FloatLanes.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

// Four axis-aligned boxes side by side, so that one SSE2 instruction handles one coordinate of
// all four. An empty box (low +infinity, high -infinity) is entered by no ray.
struct FourBoxes {
    float low[3][4];   // low[axis][box]
    float high[3][4];  // high[axis][box]
};

// A ray made ready for testing FourBoxes: per axis the side it enters each box by, and its
// origin and inverse direction in every lane.
class BoxRay {
public:
    BoxRay(Vec3 origin, Vec3 direction)
        : m_start{FloatLanes(origin.x), FloatLanes(origin.y), FloatLanes(origin.z)},
          m_inverse{FloatLanes(1.0f / direction.x), FloatLanes(1.0f / direction.y), FloatLanes(1.0f / direction.z)}
    {
        const float components[3] = {direction.x, direction.y, direction.z};
        for (int axis = 0; axis < 3; ++axis) {
            const std::size_t low = offsetof(FourBoxes, low) + sizeof(FourBoxes::low[0]) * axis;
            const std::size_t high = offsetof(FourBoxes, high) + sizeof(FourBoxes::high[0]) * axis;
            // The low side first when the ray moves up.
            m_nearSide[axis] = std::signbit(components[axis]) ? high : low;
            m_farSide[axis] = std::signbit(components[axis]) ? low : high;
        }
    }

    // The same direction from another origin.
    BoxRay(const BoxRay& sameDirection, Vec3 origin) : BoxRay(sameDirection)
    {
        m_start[0] = FloatLanes(origin.x);
        m_start[1] = FloatLanes(origin.y);
        m_start[2] = FloatLanes(origin.z);
    }

    // Bit i set when the ray enters box i at a distance from 0 to reach; the entry distances in
    // entry. Where an axis gives NaN (the origin on a box side the ray runs along) the axis is
    // left out, which only widens the test.
    unsigned entered(const FourBoxes& boxes, float reach, FloatLanes& entry) const
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&boxes);
        auto side = [bytes](std::size_t offset) {
            return FloatLanes::load(reinterpret_cast<const float*>(bytes + offset));
        };
        entry = largerOr((side(m_nearSide[0]) - m_start[0]) * m_inverse[0], FloatLanes(0.0f));
        FloatLanes exit = smallerOr((side(m_farSide[0]) - m_start[0]) * m_inverse[0], FloatLanes(reach));
        entry = largerOr((side(m_nearSide[1]) - m_start[1]) * m_inverse[1], entry);
        exit = smallerOr((side(m_farSide[1]) - m_start[1]) * m_inverse[1], exit);
        entry = largerOr((side(m_nearSide[2]) - m_start[2]) * m_inverse[2], entry);
        exit = smallerOr((side(m_farSide[2]) - m_start[2]) * m_inverse[2], exit);
        return laneBits(entry <= exit);
    }

private:
    FloatLanes m_start[3];
    FloatLanes m_inverse[3];
    std::size_t m_nearSide[3];
    std::size_t m_farSide[3];
};
