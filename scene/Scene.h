#pragma once

#include "maths/Vec3.h"
#include "model3ds/L3DS.h"
#include "scene/TriangleList.h"

#include <bit>
#include <cstdint>
#include <string>

// The crystal's refractive index, given by its bit pattern so that every build holds exactly
// the same value.
inline constexpr float kCrystalRefractionIndex = std::bit_cast<float>(std::uint32_t{0x3FAB5E20});

// Everything the tracer renders: the loaded model (this importer's own lists), drawn as a
// refracting body at m_modelPos, inside a box room open towards +z, with a mirror.
// Nothing changes after construction, so render threads read it without locks.
class Scene : public L3DS {
public:
    explicit Scene(std::string modelPath);

    Vec3 m_modelPos{0.0f, 0.0f, 0.0f};
    float m_refractionIndex = 0.0f;
    TriangleList m_mirror;
    TriangleList m_ceiling;
    TriangleList m_floor;
    TriangleList m_leftWall;
    TriangleList m_rightWall;
    TriangleList m_backWall;

    // The mesh drawn as the crystal; only valid when the model holds a mesh.
    const LMesh& modelMesh() const { return m_meshes.front(); }
    bool hasModelMesh() const { return !m_meshes.empty(); }
};
