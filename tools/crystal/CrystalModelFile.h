#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// What the generated model file holds, as the generator meant it.
struct CrystalModelSummary {
    std::uint32_t meshCount;
    std::uint32_t lightCount;
    std::uint32_t materialCount;
    std::uint32_t crystalCount;
    std::uint32_t crystalTriangleCount;  // of the first mesh, the one that is rendered
};

CrystalModelSummary crystalModelSummary();

// The 3DS file of the crystal cluster: the cluster mesh, a pedestal mesh, two lights, three
// materials and keyframer nodes. The same bytes on every run and every machine.
std::vector<std::uint8_t> crystalModelBytes();

// Throws std::runtime_error when the file cannot be written.
void writeCrystalModel(const std::filesystem::path& path);
