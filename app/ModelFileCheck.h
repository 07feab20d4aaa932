#pragma once

#include "scene/Scene.h"

#include <string>

// The tracer draws the model's first mesh, so a scene without one cannot be rendered. Throws
// the std::string that says why the model file gave none:
//     Can not read the model file "<path>": <the system's reason>.
//     The model file "<path>" is empty.
//     The model file "<path>" holds no mesh to render.
void refuseSceneWithoutModelMesh(const Scene& scene, const std::string& modelPath);
