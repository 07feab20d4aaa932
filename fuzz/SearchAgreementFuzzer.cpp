#include "fuzz/ScratchFolder.h"
#include "scene/Scene.h"
#include "tracer/Renderer.h"
#include "tracer/TriangleCorners.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

// Reads each input as a small model and a set of rays, and traces every ray with the brute-force
// search and with the accelerated one on each path the processor runs, alone and paired with the
// next ray. They must give the same record, t to the bit, kind and index. Input layout:
//   byte 0: vertex count - 1 (so 1 to 256), byte 1: face count (modulo 64);
//   then each vertex as three floats (any bits: NaN, infinities, huge and tiny values included);
//   then each face as three bytes, vertex indices taken modulo the vertex count;
//   then up to 64 rays, each as six floats (origin, direction; the direction is used as it is).
// Bytes that run out read as zero; bytes past the rays are not read. Besides the input's rays,
// rays aimed at every vertex, edge midpoint and face centre of the first faces from fixed points
// in the room, and along their edges, are traced.

namespace {

// Enough faces for a tree several levels deep, few enough that both searches of every ray,
// the brute-force one included, take a small part of a millisecond.
constexpr std::size_t kMostFaces = 64;
// Rays read from the input. The fuzzer grows inputs towards its length limit; without a cap most
// of each run would go to the brute-force search of ever more rays.
constexpr std::size_t kMostInputRays = 64;
// The faces that fixed rays are aimed at: 27 rays each, every one traced by brute force too, which
// takes most of each run. The fuzzer moves any face to the front, so a few suffice.
constexpr std::size_t kAimedFaces = 4;

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t byte() { return m_position < m_size ? m_data[m_position++] : 0; }
    float number()
    {
        std::uint32_t bits = 0;
        for (int i = 0; i < 4; ++i) {
            bits |= std::uint32_t{byte()} << (8 * i);
        }
        return std::bit_cast<float>(bits);
    }
    Vec3 vector() { return {number(), number(), number()}; }
    bool atEnd() const { return m_position >= m_size; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
};

// The room of every scene, and the fuzzed mesh as the model; the model file itself does not
// exist, so nothing is loaded.
class FuzzedScene : public Scene {
public:
    explicit FuzzedScene(LMesh mesh) : Scene("no-such-folder/no-such-model.3DS")
    {
        m_meshes.push_back(std::move(mesh));
    }
};

LMesh meshOf(ByteReader& input)
{
    const std::size_t vertexCount = std::size_t{input.byte()} + 1;
    const std::size_t faceCount = input.byte() % kMostFaces;
    LMesh mesh;
    for (std::size_t i = 0; i < vertexCount; ++i) {
        const Vec3 v = input.vector();
        mesh.m_vertices.push_back({v.x, v.y, v.z, 0.0f});
    }
    for (std::size_t i = 0; i < faceCount; ++i) {
        const auto index = [&] { return static_cast<std::uint16_t>(input.byte() % vertexCount); };
        const std::uint16_t a = index();
        const std::uint16_t b = index();
        mesh.m_faceIndices.push_back({a, b, index()});
    }
    return mesh;
}

// Rays at the places where a search could part from the other: vertices, edges and faces, seen
// from a few points of the room, and lying along each edge.
std::vector<Ray> aimedRays(const Scene& scene)
{
    const Vec3 eyes[] = {{0.0f, 0.0f, 39.0f}, {-30.0f, 25.0f, 10.0f}, {35.0f, -39.0f, -35.0f}};
    std::vector<Ray> rays;
    const auto aim = [&rays](Vec3 from, Vec3 to) { rays.push_back({from, normalize(to - from), false, 0.0f}); };
    const LMesh& mesh = scene.modelMesh();
    for (std::size_t face = 0; face < mesh.m_faceIndices.size() && face < kAimedFaces; ++face) {
        const TriangleCorners model = meshTriangleCorners(mesh, face);
        const Vec3 corners[3] = {model.p0 + scene.m_modelPos, model.p1 + scene.m_modelPos, model.p2 + scene.m_modelPos};
        for (int k = 0; k < 3; ++k) {
            const Vec3 from = corners[k];
            const Vec3 to = corners[(k + 1) % 3];
            const Vec3 middle = (from + to) * 0.5f;
            for (const Vec3& eye : eyes) {
                aim(eye, from);
                aim(eye, middle);
            }
            aim(from, to);
            aim(from - (to - from), to);
        }
        const Vec3 centre = (corners[0] + corners[1] + corners[2]) * (1.0f / 3.0f);
        for (const Vec3& eye : eyes) {
            aim(eye, centre);
        }
    }
    return rays;
}

bool sameRecord(const HitRecord& a, const HitRecord& b)
{
    return std::bit_cast<std::uint32_t>(a.t) == std::bit_cast<std::uint32_t>(b.t) && a.kind == b.kind &&
           a.index == b.index;
}

// One renderer for every input, set up once from a settings file: reading settings and measuring
// stacks would be most of each run. Each input's scene takes its place through useScene, as in
// the renderer's set-up.
Renderer& rendererOf(const Scene& scene)
{
    static const ScratchFolder folder;
    static Renderer renderer = [&scene] {
        const std::string xml =
            "<scene><m_pos value_x=\"0\" value_y=\"0\" value_z=\"39\"/>"
            "<m_forward value_x=\"0\" value_y=\"0\" value_z=\"-1\"/>"
            "<m_viewAngle value_x=\"1\" value_y=\"1\"/><m_resolution value_x=\"1\" value_y=\"1\"/>"
            "<max_depth_ value=\"1\"/><min_energy_ value=\"0\"/></scene>";
        return Renderer(&scene, folder.write("scene_settings.xml", xml.data(), xml.size()).string());
    }();
    renderer.useScene(&scene);
    return renderer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader input(data, size);
    // The scene prints the model's counts as it is built; nobody reads them here.
    std::cout.setstate(std::ios::badbit);
    const FuzzedScene scene(meshOf(input));
    std::cout.clear();
    const Renderer& renderer = rendererOf(scene);
    std::vector<Ray> rays = aimedRays(scene);
    for (std::size_t i = 0; i < kMostInputRays && !input.atEnd(); ++i) {
        const Vec3 origin = input.vector();
        rays.push_back({origin, input.vector(), false, 0.0f});
    }
    std::vector<HitRecord> expected;
    for (const Ray& ray : rays) {
        expected.push_back(renderer.bruteForceNearestHit(ray));
    }
    for (std::size_t i = 0; i < rays.size(); ++i) {
        // Each ray is also searched paired with the next, once first and once second.
        const std::size_t partner = (i + 1) % rays.size();
        for (SearchPath path : runningSearchPaths()) {
            if (!sameRecord(expected[i], renderer.acceleratedNearestHit(rays[i], path))) {
                std::abort();
            }
            // At the depth limit any struck face of the model may stand for the nearest.
            const HitRecord atLimit = renderer.acceleratedHitAtDepthLimit(rays[i], path);
            if (expected[i].kind == Model ? atLimit.kind != Model : !sameRecord(expected[i], atLimit)) {
                std::abort();
            }
            HitRecord first;
            HitRecord second;
            renderer.acceleratedNearestHitPair(rays[i], rays[partner], path, first, second);
            if (!sameRecord(expected[i], first) || !sameRecord(expected[partner], second)) {
                std::abort();
            }
        }
    }
    return 0;
}
