#pragma once

#include "maths/Vec3.h"
#include "model3ds/LMesh.h"
#include "tracer/TrianglePack.h"

#include <cstddef>
#include <vector>

// Whether a ray lies in the plane of one of the mesh's faces to within rounding: its direction
// runs along the plane and its origin lies on it (origin in the mesh's own coordinates). The
// triangle test's det is then rounding noise, so the test may strike such a face at any
// distance, also where the accelerated search does not look: these are the only rays on which
// it may answer differently from brute force (see ModelBvh.h). Measured in double, with room to
// spare, for tests and fuzzing that compare the two searches.
bool liesInAFacePlane(const LMesh& mesh, Vec3 origin, Vec3 direction);

// The faces whose planes pass through the point to within rounding, by the same measure, as
// packs of Width (point in the mesh's own coordinates; built for kPackWidth and
// kWidePackWidth). A ray from that point may run in one of those planes, and the accelerated
// search cannot rely on meeting the face on its way: the renderer finds these faces once for
// its camera and checks every camera ray against them.
template <std::size_t Width>
std::vector<TrianglePackOf<Width>> facesInPlanesThrough(const LMesh& mesh, Vec3 point);
