#pragma once

// Red, green and blue, nominally 0 to 1 (not enforced).
struct LColor3 {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};
