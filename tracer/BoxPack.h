#pragma once

#include "maths/Vec3.h"
#include "tracer/PackWidth.h"

#include <cmath>
#include <cstddef>

// Width axis-aligned boxes side by side, so that one vector instruction handles one coordinate
// of all of them. An empty box (low +infinity, high -infinity) is entered by no ray. Aligned for
// the register of Width floats that loads them.
template <std::size_t Width>
struct alignas(Width * sizeof(float)) BoxPackOf {
    float low[3][Width];   // low[axis][box]
    float high[3][Width];  // high[axis][box]
};

// A ray made ready for testing a BoxPackOf<Lanes::kCount> with the lane type Lanes: per axis the
// side it enters each box by, and its origin and inverse direction in every lane.
template <typename Lanes>
class BoxRay {
public:
    using Boxes = BoxPackOf<Lanes::kCount>;

    BoxRay(Vec3 origin, Vec3 direction)
        : m_start{Lanes(origin.x), Lanes(origin.y), Lanes(origin.z)},
          m_inverse{Lanes(1.0f / direction.x), Lanes(1.0f / direction.y), Lanes(1.0f / direction.z)}
    {
        const float components[3] = {direction.x, direction.y, direction.z};
        for (int axis = 0; axis < 3; ++axis) {
            const std::size_t low = offsetof(Boxes, low) + sizeof(Boxes::low[0]) * axis;
            const std::size_t high = offsetof(Boxes, high) + sizeof(Boxes::high[0]) * axis;
            // The low side first when the ray moves up.
            m_nearSide[axis] = std::signbit(components[axis]) ? high : low;
            m_farSide[axis] = std::signbit(components[axis]) ? low : high;
        }
    }

    // The same direction from another origin.
    BoxRay(const BoxRay& sameDirection, Vec3 origin) : BoxRay(sameDirection)
    {
        m_start[0] = Lanes(origin.x);
        m_start[1] = Lanes(origin.y);
        m_start[2] = Lanes(origin.z);
    }

    // Bit i set when the ray enters box i at a distance from 0 to reach; the entry distances in
    // entry. Where an axis gives NaN (the origin on a box side the ray runs along) the axis is
    // left out, which only widens the test.
    unsigned entered(const Boxes& boxes, float reach, Lanes& entry) const
    {
        return entered(boxes, reach, entry, [](Lanes distances) { return distances; });
    }
    // The same with the boxes in another order: the entry and exit distances go through
    // arrange, which moves lanes, before they are compared, so bits and entries come in its order.
    template <typename Arrange>
    [[gnu::always_inline]] unsigned entered(const Boxes& boxes, float reach, Lanes& entry, Arrange arrange) const
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&boxes);
        auto side = [bytes](std::size_t offset) { return Lanes::load(reinterpret_cast<const float*>(bytes + offset)); };
        entry = largerOr((side(m_nearSide[0]) - m_start[0]) * m_inverse[0], Lanes(0.0f));
        Lanes exit = smallerOr((side(m_farSide[0]) - m_start[0]) * m_inverse[0], Lanes(reach));
        entry = largerOr((side(m_nearSide[1]) - m_start[1]) * m_inverse[1], entry);
        exit = smallerOr((side(m_farSide[1]) - m_start[1]) * m_inverse[1], exit);
        entry = largerOr((side(m_nearSide[2]) - m_start[2]) * m_inverse[2], entry);
        exit = smallerOr((side(m_farSide[2]) - m_start[2]) * m_inverse[2], exit);
        entry = arrange(entry);
        exit = arrange(exit);
        return laneBits(entry <= exit);
    }

private:
    Lanes m_start[3];
    Lanes m_inverse[3];
    std::size_t m_nearSide[3];
    std::size_t m_farSide[3];
};
