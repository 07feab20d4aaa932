#pragma once

#include "maths/Vec3.h"
#include "tools/chunkwriter/ModelChunks.h"

#include <cstdint>
#include <string>
#include <vector>

// Models of simple shapes and cameras to see them with, each chosen by a seed, so that the same
// seed always gives the same files. One of five kinds per seed: a tessellated sphere; an
// axis-aligned box with whole-number corners; a soup of triangles, half of them with
// whole-number corners, so that edges and planes of different faces line up; a soup of slivers,
// each third corner a hair off the line through the other two; or a coarser sphere of radius
// 1e-4, 1e-2, 1, 100 or 1e4. The camera stands anywhere in the room, mostly looking at the
// model; a third of the cameras are exactly level, most of those at the height of some of the
// model's vertices, so that the middle row of an odd picture height runs in the planes of
// horizontal faces.

struct ShapeMesh {
    std::vector<Vec3> vertices;
    std::vector<FaceCorners> faces;
};

struct ShapeScene {
    ShapeMesh mesh;
    // A settings document: the camera, a picture of 48 x 37 and the limits.
    std::string settings;
};

ShapeScene makeShapeScene(std::uint64_t seed);

// A model file holding the mesh as its one object.
Bytes shapeModelFile(const ShapeMesh& mesh);
