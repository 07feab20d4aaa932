#pragma once

#include "maths/Ray.h"
#include "maths/Vec3.h"
#include "scene/Scene.h"
#include "scene/TriangleList.h"
#include "tracer/BrightRayPass.h"
#include "tracer/ColourRange.h"
#include "tracer/FaceNormals.h"
#include "tracer/HitRecord.h"
#include "tracer/PackedScene.h"
#include "tracer/SearchPath.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ViewAngle {
    float x;  // full horizontal angle, radians
    float y;  // full vertical angle, radians
};

struct Resolution {
    std::uint32_t x;  // width in pixels
    std::uint32_t y;  // height in pixels
};

// Camera, image size, recursion limits and framebuffer for one render of a Scene.
// The constructor reads the settings file (settings/), saveImage writes the picture
// (image/); the tracing itself lives here in tracer/.
class Renderer {
public:
    // Throws a std::string message when the settings cannot be used. A resolution given here
    // stands in for the file's m_resolution and is checked like it.
    Renderer(const Scene* scene, std::string settingsPath, std::optional<Resolution> resolution = std::nullopt);

    Ray primaryRay(std::uint32_t x, std::uint32_t y) const;
    // Fills the framebuffer with pixelColour of every pixel. Calls rowFinished with the number of
    // rows done after each row, on the calling thread.
    void render(const std::function<void(std::uint32_t rowsDone)>& rowFinished = {});
    // What render stores for pixel (x, y): a colour that saves as the same three bytes as
    // trace(primaryRay(x, y), 0), and in a build with LUMORA_BRUTE_FORCE that colour itself
    // (PixelColour.cpp).
    Vec3 pixelColour(std::uint32_t x, std::uint32_t y) const;
    Vec3 trace(Ray ray, std::uint32_t depth) const;
    Vec3 shade(const Ray& ray, const HitRecord& hit, std::uint32_t depth) const;
    // trace, which also appends every ray it follows to rays: this one, then each secondary
    // ray in the order traced. For tests and benchmarks that need the rays of a real scene.
    Vec3 traceRecordingRays(Ray ray, std::uint32_t depth, std::vector<Ray>& rays) const;
    // Bounds on trace(ray, 0) found without tracing the secondary rays that carry less than
    // pass.dimShare of its colour: each of those is taken as black for the low end and as white
    // for the high end. Exact bounds only where PixelColour.cpp says so. Reuses the hits of the
    // earlier pass the pass names, and appends its own (BrightRayPass.h).
    ColourRange traceBrightRays(const Ray& ray, BrightRayPass& pass) const;
    // The model's nearest triangle by testing every one.
    HitRecord intersectModel(const Ray& ray) const;
    // The nearest hit over the model and the room: the search the render uses. It is the
    // accelerated search, or the brute-force one in a build with LUMORA_BRUTE_FORCE.
    HitRecord nearestHit(const Ray& ray) const;
    // The same, written into nearest field by field, as the render asks. Returned by value, a
    // record leaves the search in one register packed from t and kind through memory, and its
    // reading waits until both stores have reached the cache: about 4 % of the render.
    void nearestHit(const Ray& ray, HitRecord& nearest) const;
    // The nearest hits of two rays at once, as nearestHit finds each: the accelerated search runs
    // their searches of the model side by side, which is faster than one after the other.
    void nearestHitPair(const Ray& first, const Ray& second, HitRecord& firstHit, HitRecord& secondHit) const;
    // What a ray at the depth limit needs, where the model and the mirror show black: its
    // nearest hit, except that where the model is struck first, any face of the model struck
    // no further than the nearest room surface may stand for the nearest. Faster than
    // nearestHit, which must go on to find the nearest face. Both searches, as nearestHit.
    void hitAtDepthLimit(const Ray& ray, HitRecord& hit) const;
    // The two searches behind nearestHit, both always built; they give the same records.
    HitRecord bruteForceNearestHit(const Ray& ray) const;
    HitRecord acceleratedNearestHit(const Ray& ray) const;  // on m_searchPath
    // On the path given, which must run here (searchPathRuns).
    HitRecord acceleratedNearestHit(const Ray& ray, SearchPath path) const;
    void acceleratedNearestHit(const Ray& ray, SearchPath path, HitRecord& nearest) const;
    void acceleratedNearestHitPair(const Ray& first, const Ray& second, SearchPath path, HitRecord& firstHit,
                                   HitRecord& secondHit) const;
    // The accelerated hitAtDepthLimit on the path given.
    HitRecord acceleratedHitAtDepthLimit(const Ray& ray, SearchPath path) const;
    // Throws a std::string message when the picture cannot be written.
    void saveImage(std::string path) const;
    // Points the renderer at scene and builds what the search and the shading keep of it, for
    // the camera (m_pos) as it stands.
    void useScene(const Scene* scene);

    Vec3 m_pos{};
    Vec3 m_forward{};
    Vec3 m_right{};
    Vec3 m_up{};
    ViewAngle m_viewAngle{};
    Resolution m_resolution{};
    std::vector<Vec3> m_framebuffer;  // pixel (x, y) at x + width * y; row 0 is the bottom row
    const Scene* m_scene = nullptr;   // not owned; outlives the renderer
    Vec3 m_screenRight{};
    Vec3 m_screenUp{};
    std::uint32_t max_depth_ = 0;
    float min_energy_ = 0.0f;
    // Built from m_scene by useScene: the accelerated search's structures for its portable and
    // AVX2 paths and for its AVX-512 path, and the normals.
    PackedScene<kPackWidth> m_packedScene;
    PackedScene<kWidePackWidth> m_widePackedScene;
    FaceNormals m_faceNormals;
    SearchPath m_searchPath = fastestSearchPath();

private:
    void acceleratedSearch(const Ray& ray, SearchPath path, SearchGoal goal, HitRecord& hit) const;
    // The recursion of trace and shade, walking the rays as path says (Shading.cpp).
    template <typename Path>
    typename Path::Colour traceAlong(const Ray& ray, std::uint32_t depth, Path path) const;
    template <typename Path>
    typename Path::Colour shadeAlong(const Ray& ray, const HitRecord& hit, std::uint32_t depth, Path path) const;
};

// The nearest triangle of one room surface, reported as ListHit, or the empty record.
HitRecord intersectList(const TriangleList& list, const Ray& ray);
// best, replaced by the nearest hit of the room's lists as nearestHit replaces it, every
// triangle tested.
HitRecord withRoomSurfaces(const Scene& scene, const Ray& ray, HitRecord best);
