#include "tracer/PackedScene.h"

template <std::size_t Width>
PackedScene<Width>::PackedScene(const Scene& scene) : modelBvh(scene), roomPacks(scene)
{
}

template struct PackedScene<kPackWidth>;
template struct PackedScene<kWidePackWidth>;
