#include "tools/crystal/CrystalModelFile.h"

#include <exception>
#include <iostream>

// Writes the renderer's model file: lumora_make_crystal <output path>
int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: lumora_make_crystal <output path>" << std::endl;
        return 2;
    }
    try {
        writeCrystalModel(argv[1]);
        const CrystalModelSummary summary = crystalModelSummary();
        std::cerr << "wrote " << argv[1] << ": " << summary.crystalCount << " crystals, "
                  << summary.crystalTriangleCount << " triangles in the first of " << summary.meshCount << " meshes, "
                  << summary.lightCount << " lights, " << summary.materialCount << " materials" << std::endl;
    } catch (const std::exception& error) {
        std::cerr << error.what() << std::endl;
        return 1;
    }
    return 0;
}
