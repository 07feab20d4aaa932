#pragma once

#include "scene/Scene.h"
#include "tracer/ModelBvh.h"
#include "tracer/RoomPacks.h"

#include <cstddef>

// The scene as the accelerated search reads it with packs of Width: the model's tree and the
// room's packs. Built once when the renderer takes the scene, read-only afterwards.
template <std::size_t Width>
struct PackedScene {
    PackedScene() = default;
    explicit PackedScene(const Scene& scene);

    ModelBvhOf<Width> modelBvh;
    RoomPacksOf<Width> roomPacks;
};
