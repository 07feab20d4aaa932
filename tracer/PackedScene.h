#pragma once

#include "maths/Vec3.h"
#include "scene/Scene.h"
#include "tracer/ModelBvh.h"
#include "tracer/RoomPacks.h"
#include "tracer/TrianglePack.h"

#include <cstddef>
#include <vector>

// The scene as the accelerated search reads it with packs of Width: the model's tree, the
// room's packs and the model's faces whose planes pass through the camera. Built once when the
// renderer takes the scene, read-only afterwards.
template <std::size_t Width>
struct PackedScene {
    PackedScene() = default;
    // camera in world coordinates.
    PackedScene(const Scene& scene, Vec3 camera);

    ModelBvhOf<Width> modelBvh;
    RoomPacksOf<Width> roomPacks;
    // The model's faces whose planes pass through the camera (facesInPlanesThrough), usually none.
    std::vector<TrianglePackOf<Width>> facesThroughCamera;
};
