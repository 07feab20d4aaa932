#pragma once

#include "tools/crystal/CrystalCluster.h"
#include "tools/crystal/Vec3d.h"

#include <cstdint>
#include <vector>

// Which material a triangle wears in the model file.
enum class Surface { CrystalPrism, CrystalTip, Pedestal };

struct MeshTriangle {
    std::uint16_t a;  // the corners are counter-clockwise seen from outside
    std::uint16_t b;
    std::uint16_t c;
    std::uint32_t smoothingGroup;
    Surface surface;
};

struct TexCoord2d {
    double u;
    double v;
};

// An indexed triangle mesh in final model coordinates: y up, the floor at y = 0.
struct MeshGeometry {
    std::vector<Vec3d> positions;
    std::vector<TexCoord2d> texCoords;  // one per position, or none at all
    std::vector<MeshTriangle> triangles;
};

// Every crystal as a closed, convex shell of flat facets. Each facet is split into several
// triangles and has a smoothing group of its own; the facets of a crystal share their corner
// vertices, so the loader has to split them to keep the facets flat.
MeshGeometry buildCrystalMesh(const std::vector<Crystal>& crystals);

// A small slab beside the cluster, without texture coordinates: a second mesh for the file.
MeshGeometry buildPedestalMesh();
