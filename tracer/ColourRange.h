#pragma once

#include "maths/Vec3.h"

// Bounds on a colour, channel by channel: what trace can say of a pixel whose tree of rays it
// did not follow to the end (Renderer::pixelColour).
struct ColourRange {
    Vec3 low;
    Vec3 high;

    ColourRange(Vec3 low, Vec3 high) : low(low), high(high) {}
    // A colour known exactly.
    explicit ColourRange(Vec3 exact) : low(exact), high(exact) {}
};
