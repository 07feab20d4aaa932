#include "scene/Scene.h"

#include <iostream>

namespace {

// Appends a square side: four corners in the given order and the triangles (0, 2, 1), (3, 2, 0).
void addQuad(TriangleList& list, Vec3 v0, Vec3 v1, Vec3 v2, Vec3 v3)
{
    list.vertices.insert(list.vertices.end(), {v0, v1, v2, v3});
    list.triangles.insert(list.triangles.end(), {TriangleIndices{0, 2, 1}, TriangleIndices{3, 2, 0}});
}

}  // namespace

Scene::Scene(std::string modelPath)
{
    // A model that cannot be read leaves the lists empty; the counts say so, and the caller
    // decides whether a scene without a mesh can be rendered.
    loadFile(modelPath.c_str());

    std::cout << "Number of meshes in the file = " << getMeshCount() << std::endl;
    std::cout << "Number of lights in the file = " << getLightCount() << std::endl;
    std::cout << "Number of materials in the file = " << getMaterialCount() << std::endl;

    m_modelPos = {0.0f, -40.0f, 0.0f};
    m_refractionIndex = kCrystalRefractionIndex;

    // The mirror stands upright at 45 degrees to the walls, 20 wide and 20 high, centred
    // on the floor-to-ceiling midline.
    m_mirror.vertices = {{20.0f, 0.0f, 0.0f}, {0.0f, 0.0f, -20.0f}, {20.0f, 20.0f, 0.0f}, {0.0f, 20.0f, -20.0f}};
    m_mirror.triangles = {{0, 2, 1}, {3, 1, 2}};
    for (Vec3& vertex : m_mirror.vertices) {
        vertex = vertex - Vec3{0.0f, 10.0f, 0.0f};
    }

    addQuad(m_ceiling, {40.0f, 40.0f, 40.0f}, {40.0f, 40.0f, -40.0f}, {-40.0f, 40.0f, -40.0f}, {-40.0f, 40.0f, 40.0f});
    addQuad(m_floor, {40.0f, -40.0f, 40.0f}, {40.0f, -40.0f, -40.0f}, {-40.0f, -40.0f, -40.0f},
            {-40.0f, -40.0f, 40.0f});
    addQuad(m_leftWall, {-40.0f, -40.0f, 40.0f}, {-40.0f, -40.0f, -40.0f}, {-40.0f, 40.0f, -40.0f},
            {-40.0f, 40.0f, 40.0f});
    addQuad(m_rightWall, {40.0f, -40.0f, 40.0f}, {40.0f, -40.0f, -40.0f}, {40.0f, 40.0f, -40.0f},
            {40.0f, 40.0f, 40.0f});
    addQuad(m_backWall, {-40.0f, -40.0f, -40.0f}, {40.0f, -40.0f, -40.0f}, {40.0f, 40.0f, -40.0f},
            {-40.0f, 40.0f, -40.0f});
}
