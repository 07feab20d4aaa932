#pragma once

#include <cstdint>

// The surfaces a ray can strike. ListHit is what intersectList reports before the caller
// names the list it searched.
enum HitKind : std::int32_t {
    None = 0,
    ListHit = 1,
    Model = 2,
    Mirror = 3,
    Floor = 4,
    Ceiling = 5,
    LeftWall = 6,
    RightWall = 7,
    BackWall = 8,
};

// The nearest hit of a ray; {0, None, 0} when nothing was struck.
struct HitRecord {
    float t = 0.0f;
    std::int32_t kind = None;
    std::uint32_t index = 0;
};
