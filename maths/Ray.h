#pragma once

#include "maths/Vec3.h"

// One ray of the tracer. Built once and never changed; each recursion level builds its own.
struct Ray {
    Vec3 origin;
    Vec3 direction;  // unit length as built by every producer
    bool inside;     // travelling inside the refractive model
    float distance;  // path length from the camera to origin
};
