#include "app/ModelFileCheck.h"

#include <cstring>

void refuseSceneWithoutModelMesh(const Scene& scene, const std::string& modelPath)
{
    if (scene.hasModelMesh()) {
        return;
    }
    if (scene.readError() != 0) {
        throw "Can not read the model file \"" + modelPath + "\": " + std::strerror(scene.readError()) + ".";
    }
    // An empty file is read without error, but "holds no mesh" would suggest a model that lacks
    // only its mesh, while the likelier cause is a copy or download that went wrong.
    if (scene.readEmptyFile()) {
        throw "The model file \"" + modelPath + "\" is empty.";
    }
    if (scene.readNotRegularFile()) {
        throw "The model file \"" + modelPath + "\" is not a regular file.";
    }
    throw "The model file \"" + modelPath + "\" holds no mesh to render.";
}
