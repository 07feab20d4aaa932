#pragma once

#include "model3ds/LColor3.h"
#include "model3ds/LObject.h"

#include <cstdint>

enum LShading : std::int32_t { Wireframe = 0, Flat = 1, Gouraud = 2, Phong = 3, Metal = 4 };

// One texture map of a material.
struct LMap {
    float m_strength = 0.0f;
    char m_fileName[256] = {};
    float m_scale1 = 1.0f;
    float m_scale2 = 1.0f;
    float m_offset1 = 0.0f;
    float m_offset2 = 0.0f;
    float m_angle = 0.0f;
};

class LMaterial : public LObject {
public:
    std::int32_t m_id = 0;  // index in the importer's material list
    LMap m_texMap1;
    LMap m_texMap2;
    LMap m_opacityMap;
    LMap m_reflectionMap;
    LMap m_bumpMap;
    LMap m_specularMap;
    LColor3 m_ambient;
    LColor3 m_diffuse;
    LColor3 m_specular;
    float m_shininess = 0.0f;     // clamped to [0, 1]
    float m_transparency = 0.0f;  // clamped to [0, 1]
    LShading m_shading = Gouraud;
};
