#include "tracer/Renderer.h"

void Renderer::useScene(const Scene* scene)
{
    m_scene = scene;
    // A renderer made only to read settings has no scene.
    m_modelBvh = scene != nullptr ? ModelBvh(*scene) : ModelBvh();
    m_roomPacks = scene != nullptr ? RoomPacks(*scene) : RoomPacks();
    m_faceNormals = scene != nullptr ? faceNormalsOf(*scene) : FaceNormals();
}
