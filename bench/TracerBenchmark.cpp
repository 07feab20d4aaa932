#include "scene/Scene.h"
#include "tracer/Renderer.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// A closed sphere: an icosahedron whose faces are split in four `levels` times
// (level 4 gives 5120 triangles and 2562 vertices).
class Icosphere {
public:
    Icosphere(int levels, Vec3 centre, float radius) : m_centre(centre), m_radius(radius)
    {
        const float g = 1.618034f;  // the golden ratio
        for (const Vec3& corner :
             {Vec3{-1, g, 0}, Vec3{1, g, 0}, Vec3{-1, -g, 0}, Vec3{1, -g, 0}, Vec3{0, -1, g}, Vec3{0, 1, g},
              Vec3{0, -1, -g}, Vec3{0, 1, -g}, Vec3{g, 0, -1}, Vec3{g, 0, 1}, Vec3{-g, 0, -1}, Vec3{-g, 0, 1}}) {
            addVertex(corner);
        }
        m_faces = {{0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
                   {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
                   {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
        for (int level = 0; level < levels; ++level) {
            subdivide();
        }
    }

    LMesh mesh() const
    {
        LMesh mesh;
        for (const Vec3& vertex : m_vertices) {
            mesh.m_vertices.push_back({vertex.x, vertex.y, vertex.z, 0.0f});
        }
        mesh.m_faceIndices = m_faces;
        return mesh;
    }

private:
    std::uint16_t addVertex(Vec3 direction)
    {
        m_vertices.push_back(m_centre + normalize(direction) * m_radius);
        return static_cast<std::uint16_t>(m_vertices.size() - 1);
    }

    std::uint16_t midpoint(std::uint16_t a, std::uint16_t b)
    {
        const auto key = std::minmax(a, b);
        const auto found = m_midpoints.find(key);
        if (found != m_midpoints.end()) {
            return found->second;
        }
        const Vec3 middle = (m_vertices[a] + m_vertices[b]) * 0.5f - m_centre;
        return m_midpoints[key] = addVertex(middle);
    }

    void subdivide()
    {
        std::vector<LFaceIndices> finer;
        for (const LFaceIndices& face : m_faces) {
            const std::uint16_t ab = midpoint(face.a, face.b);
            const std::uint16_t bc = midpoint(face.b, face.c);
            const std::uint16_t ca = midpoint(face.c, face.a);
            finer.insert(finer.end(), {{face.a, ab, ca}, {face.b, bc, ab}, {face.c, ca, bc}, {ab, bc, ca}});
        }
        m_faces = std::move(finer);
        m_midpoints.clear();
    }

    Vec3 m_centre;
    float m_radius;
    std::vector<Vec3> m_vertices;
    std::vector<LFaceIndices> m_faces;
    std::map<std::pair<std::uint16_t, std::uint16_t>, std::uint16_t> m_midpoints;
};

class SphereScene : public Scene {
public:
    explicit SphereScene(const LMesh& mesh) : Scene("no-such-model.3DS") { m_meshes.push_back(mesh); }
};

// The room with the sphere standing clear of the mirror, and a camera looking in, as the
// program renders them.
struct Fixture {
    std::unique_ptr<SphereScene> scene;
    std::unique_ptr<Renderer> renderer;
    std::vector<Ray> cameraRays;
    std::vector<Ray> scatteredRays;
};

const Fixture& fixture()
{
    static const Fixture built = [] {
        Fixture made;
        {
            std::ostringstream countLines;
            auto* previous = std::cout.rdbuf(countLines.rdbuf());
            made.scene = std::make_unique<SphereScene>(Icosphere(4, {-10.0f, 20.0f, -5.0f}, 15.0f).mesh());
            std::cout.rdbuf(previous);
        }
        const auto settingsPath =
            std::filesystem::temp_directory_path() / ("lumora-bench-settings-" + std::to_string(getpid()) + ".xml");
        std::ofstream(settingsPath) << "<settings>"
                                       "<m_pos value_x=\"0\" value_y=\"0\" value_z=\"40\"/>"
                                       "<m_forward value_x=\"0\" value_y=\"0\" value_z=\"-1\"/>"
                                       "<m_viewAngle value_x=\"1.5707964\" value_y=\"1.2\"/>"
                                       "<m_resolution value_x=\"64\" value_y=\"48\"/>"
                                       "<max_depth_ value=\"8\"/><min_energy_ value=\"0.00001\"/>"
                                       "</settings>";
        made.renderer = std::make_unique<Renderer>(made.scene.get(), settingsPath.string());
        std::filesystem::remove(settingsPath);

        for (std::uint32_t y = 0; y < 48; ++y) {
            for (std::uint32_t x = 0; x < 64; ++x) {
                made.cameraRays.push_back(made.renderer->primaryRay(x, y));
            }
        }
        std::mt19937 random(7);
        std::uniform_real_distribution<float> inRoom(-39.0f, 39.0f);
        std::normal_distribution<float> anyWay;
        for (std::size_t i = 0; i < made.cameraRays.size(); ++i) {
            const Vec3 origin{inRoom(random), inRoom(random), inRoom(random)};
            made.scatteredRays.push_back(
                {origin, normalize({anyWay(random), anyWay(random), anyWay(random)}), false, 0.0f});
        }
        return made;
    }();
    return built;
}

void searchAll(benchmark::State& state, const std::vector<Ray>& rays)
{
    const Renderer& renderer = *fixture().renderer;
    for (auto _ : state) {
        for (const Ray& ray : rays) {
            benchmark::DoNotOptimize(renderer.nearestHit(ray));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rays.size()));
}

void nearestHitCameraRays(benchmark::State& state) { searchAll(state, fixture().cameraRays); }
void nearestHitScatteredRays(benchmark::State& state) { searchAll(state, fixture().scatteredRays); }

void tracePixels(benchmark::State& state)
{
    const Renderer& renderer = *fixture().renderer;
    for (auto _ : state) {
        for (const Ray& ray : fixture().cameraRays) {
            benchmark::DoNotOptimize(renderer.trace(ray, 0));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(fixture().cameraRays.size()));
}

}  // namespace

BENCHMARK(nearestHitCameraRays)->Unit(benchmark::kMillisecond);
BENCHMARK(nearestHitScatteredRays)->Unit(benchmark::kMillisecond);
BENCHMARK(tracePixels)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
