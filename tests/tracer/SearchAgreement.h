#pragma once

#include "maths/Ray.h"
#include "scene/Scene.h"
#include "tracer/Renderer.h"
#include "tracer/TriangleCorners.h"

#include <cstdint>
#include <string>
#include <vector>

// The model's triangles in world coordinates, as the searches see them.
std::vector<TriangleCorners> worldTriangles(const Scene& scene);

// The same t to the bit, kind and index.
bool sameRecord(const HitRecord& a, const HitRecord& b);

// Whether the ray lies in the plane of a model face to within rounding.
bool liesInModelFacePlane(const Renderer& renderer, const Ray& ray);

// Whether hit, from Renderer::hitAtDepthLimit, may stand for the ray's nearest hit: the same
// record, or where the nearest is the model's, a model face that the ray strikes at hit.t, no
// further than the nearest room surface.
bool standsForNearestHit(const Renderer& renderer, const Ray& ray, const HitRecord& nearest, const HitRecord& hit);

// "" when the accelerated search, on every path that runs here, alone and paired with the next
// ray, and the brute-force search give the same record (t bit for bit, kind and index) for every
// ray, and the accelerated search at the depth limit gives a record that stands for it; otherwise
// how many records differ and the first of them.
std::string searchDisagreement(const Renderer& renderer, const std::vector<Ray>& rays);

// Rays made to find the places where an accelerated search could part from brute force, for
// the scene's model and room: aimed at vertices and along and across shared edges, grazing
// and lying in face planes, starting on surfaces, parallel to the axes, with tiny and huge
// coordinates, and with non-finite components. At most about faceBudget faces are used.
std::vector<Ray> hardRays(const Scene& scene, std::uint32_t seed, std::size_t faceBudget = 600);
