#pragma once

#include "scene/Scene.h"
#include "scene/TriangleList.h"
#include "tracer/HitRecord.h"

// The room's surfaces in search order: at equal distance the earlier surface wins.
struct RoomSurface {
    TriangleList Scene::*list;
    HitKind kind;
};

inline constexpr RoomSurface kRoomSurfaces[] = {
    {&Scene::m_mirror, Mirror},   {&Scene::m_backWall, BackWall}, {&Scene::m_floor, Floor},
    {&Scene::m_ceiling, Ceiling}, {&Scene::m_leftWall, LeftWall}, {&Scene::m_rightWall, RightWall},
};
