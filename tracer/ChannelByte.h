#pragma once

#include "maths/Vec3.h"

#include <array>
#include <cstdint>

// The byte a colour channel is saved as: clamped to [0, 1], scaled by 255 in float and
// truncated. 1 gives 255, 0.5 gives 127 and 0.999 gives 254. NaN fails every comparison and
// gives 0. Other than at NaN, the byte never falls as the value grows.
inline std::uint8_t channelByte(float value)
{
    if (!(value > 0.0f)) {
        return 0;
    }
    const float clamped = value < 1.0f ? value : 1.0f;
    return static_cast<std::uint8_t>(clamped * 255.0f);
}

// The bytes of a colour's channels, red first.
inline std::array<std::uint8_t, 3> colourBytes(Vec3 colour)
{
    return {channelByte(colour.x), channelByte(colour.y), channelByte(colour.z)};
}
