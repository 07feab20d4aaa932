#include "tracer/PackedScene.h"

#include "tracer/FacePlaneRays.h"

template <std::size_t Width>
PackedScene<Width>::PackedScene(const Scene& scene, Vec3 camera)
    : modelBvh(scene),
      roomPacks(scene),
      facesThroughCamera(scene.hasModelMesh()
                             ? facesInPlanesThrough<Width>(scene.modelMesh(), camera - scene.m_modelPos)
                             : std::vector<TrianglePackOf<Width>>())
{
}

template struct PackedScene<kPackWidth>;
template struct PackedScene<kWidePackWidth>;
