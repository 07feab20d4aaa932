#pragma once

#include "model3ds/LColor3.h"
#include "model3ds/LObject.h"
#include "maths/Vec3.h"

// A light of the model, named after the object block that holds it.
class LLight : public LObject {
public:
    Vec3 m_position{0.0f, 0.0f, 0.0f};
    LColor3 m_color;
    bool m_spotlight = false;
    Vec3 m_target{0.0f, 0.0f, 0.0f};
    float m_hotspot = 0.0f;
    float m_falloff = 0.0f;
};
