#include "tracer/Renderer.h"

#include "tracer/FacePlaneRays.h"

void Renderer::useScene(const Scene* scene)
{
    m_scene = scene;
    // A renderer made only to read settings has no scene.
    m_modelBvh = scene != nullptr ? ModelBvh(*scene) : ModelBvh();
    m_roomPacks = scene != nullptr ? RoomPacks(*scene) : RoomPacks();
    m_faceNormals = scene != nullptr ? faceNormalsOf(*scene) : FaceNormals();
    m_facesThroughCamera = scene != nullptr && scene->hasModelMesh()
                               ? facesInPlanesThrough(scene->modelMesh(), m_pos - scene->m_modelPos)
                               : std::vector<TrianglePack>();
}
