#pragma once

#include "maths/Vec3.h"
#include "tracer/CullingMargins.h"
#include "tracer/PackWidth.h"

#include <cmath>
#include <cstddef>
#include <limits>

// Width axis-aligned boxes side by side, so that one vector instruction handles one coordinate
// of all of them. An empty box (low +infinity, high -infinity) is entered by no ray. Aligned for
// the register of Width floats that loads them.
template <std::size_t Width>
struct alignas(Width * sizeof(float)) BoxPackOf {
    float low[3][Width];   // low[axis][box]
    float high[3][Width];  // high[axis][box]
};

// A ray made ready for testing a BoxPackOf<Lanes::kCount> with the lane type Lanes: per axis the
// side it enters each box by, and its origin and the inverse speeds at which it reaches each
// side, in every lane.
//
// The ray is tested as a cone around it whose radius per coordinate grows by kGrazingReach
// (CullingMargins.h) times the direction's largest component per unit of t, so that a box is
// entered wherever a face in it may be struck by a ray meeting it at a slant. Along an axis the
// cone's near edge runs towards the near sides faster, and its far edge leaves the far sides
// slower, than the ray itself. Where the cone widens faster than the ray moves along an axis, its
// far edge never leaves a slab it has reached: the far sides of that axis then bound nothing.
template <typename Lanes>
class BoxRay {
public:
    using Boxes = BoxPackOf<Lanes::kCount>;

    BoxRay(Vec3 origin, Vec3 direction) : m_start{Lanes(origin.x), Lanes(origin.y), Lanes(origin.z)}
    {
        const float components[3] = {direction.x, direction.y, direction.z};
        const float spread = kGrazingReach * largestMagnitude(direction);
        for (int axis = 0; axis < 3; ++axis) {
            const std::size_t low = offsetof(Boxes, low) + sizeof(Boxes::low[0]) * axis;
            const std::size_t high = offsetof(Boxes, high) + sizeof(Boxes::high[0]) * axis;
            const float component = components[axis];
            // The low side first when the ray moves up.
            m_nearSide[axis] = std::signbit(component) ? high : low;
            m_farSide[axis] = std::signbit(component) ? low : high;
            const float away = std::copysign(spread, component);
            m_nearInverse[axis] = Lanes(1.0f / (component + away));
            // NaN leaves the far sides out of the test (see entered).
            m_farInverse[axis] = Lanes(std::fabs(component) > spread ? 1.0f / (component - away) : kLeftOut);
        }
    }

    // The same direction from another origin.
    BoxRay(const BoxRay& sameDirection, Vec3 origin) : BoxRay(sameDirection)
    {
        m_start[0] = Lanes(origin.x);
        m_start[1] = Lanes(origin.y);
        m_start[2] = Lanes(origin.z);
    }

    // Bit i set when the ray's cone enters box i at a t from 0 to reach; the entry distances in
    // entry. A far side whose inverse is NaN is left out, which only widens the test.
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
        entry = largerOr((side(m_nearSide[0]) - m_start[0]) * m_nearInverse[0], Lanes(0.0f));
        Lanes exit = smallerOr((side(m_farSide[0]) - m_start[0]) * m_farInverse[0], Lanes(reach));
        entry = largerOr((side(m_nearSide[1]) - m_start[1]) * m_nearInverse[1], entry);
        exit = smallerOr((side(m_farSide[1]) - m_start[1]) * m_farInverse[1], exit);
        entry = largerOr((side(m_nearSide[2]) - m_start[2]) * m_nearInverse[2], entry);
        exit = smallerOr((side(m_farSide[2]) - m_start[2]) * m_farInverse[2], exit);
        entry = arrange(entry);
        exit = arrange(exit);
        return laneBits(entry <= exit);
    }

private:
    static constexpr float kLeftOut = std::numeric_limits<float>::quiet_NaN();

    Lanes m_start[3];
    Lanes m_nearInverse[3];
    Lanes m_farInverse[3];
    std::size_t m_nearSide[3];
    std::size_t m_farSide[3];
};
