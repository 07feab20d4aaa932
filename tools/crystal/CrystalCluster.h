#pragma once

#include "tools/crystal/Vec3d.h"

#include <array>
#include <vector>

// One quartz point: a hexagonal prism with a six-sided pyramidal tip, leaning away from the
// cluster's centre. Its prism edges end at a horizontal ring just above the floor, and a
// shallow six-sided foot closes it below, touching the floor (y = 0) at one point. A flat
// sole would lie in the floor's plane, where the tracer could not tell the two apart.
struct Crystal {
    Vec3d base;          // where the axis meets the floor: the lowest point
    Vec3d axis;          // unit, pointing upwards
    Vec3d across;        // unit, perpendicular to the axis, towards the first prism edge
    double radius;       // of the circle through the six prism edges
    double prismLength;  // along the axis, from the base to the start of the tip
    double tipLength;    // along the axis, from the start of the tip to the apex
};

// The corners of a crystal, the rings counter-clockwise around the axis seen from the apex.
// The crystal is their convex hull.
struct CrystalCorners {
    Vec3d sole;                       // the base
    std::array<Vec3d, 6> bottomRing;  // where the prism edges meet the foot
    std::array<Vec3d, 6> topRing;     // where the prism edges meet the tip
    Vec3d apex;
};

CrystalCorners crystalCorners(const Crystal& crystal);

// The whole cluster, the same on every run: the crystals stand on the floor around a common
// centre, none touches another, and all stay inside the room and clear of its mirror.
std::vector<Crystal> layOutCrystalCluster();
