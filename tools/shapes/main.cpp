#include "tools/shapes/ShapeScene.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string_view>

namespace {

bool writeFile(const char* path, std::string_view bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace

// Writes the model and the settings of one seed: lumora_shape_scene SEED MODEL SETTINGS
int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: lumora_shape_scene SEED MODEL SETTINGS" << std::endl;
        return 2;
    }
    const ShapeScene scene = makeShapeScene(std::strtoull(argv[1], nullptr, 10));
    const Bytes model = shapeModelFile(scene.mesh);
    const std::string_view modelBytes(reinterpret_cast<const char*>(model.data()), model.size());
    if (!writeFile(argv[2], modelBytes) || !writeFile(argv[3], scene.settings)) {
        std::cerr << "lumora_shape_scene: could not write " << argv[2] << " or " << argv[3] << std::endl;
        return 1;
    }
    return 0;
}
