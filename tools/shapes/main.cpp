#include "tools/shapes/ShapeScene.h"

#include <cstdlib>
#include <iostream>

// Writes the model and the settings of one seed: lumora_shape_scene SEED MODEL SETTINGS
int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: lumora_shape_scene SEED MODEL SETTINGS" << std::endl;
        return 2;
    }
    const ShapeScene scene = makeShapeScene(std::strtoull(argv[1], nullptr, 10));
    if (!writeFileBytes(argv[2], shapeModelFile(scene.mesh)) ||
        !writeFileBytes(argv[3], Bytes(scene.settings.begin(), scene.settings.end()))) {
        std::cerr << "lumora_shape_scene: could not write " << argv[2] << " or " << argv[3] << std::endl;
        return 1;
    }
    return 0;
}
