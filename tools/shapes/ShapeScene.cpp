#include "tools/shapes/ShapeScene.h"

#include "tools/crystal/SplitMix64.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <set>
#include <string>
#include <vector>

namespace {

// Where the renderer draws the model's origin.
constexpr float modelFloor = -40.0f;

class ShapeMaker {
public:
    explicit ShapeMaker(std::uint64_t seed) : m_random(seed), m_kind(seed % 5) {}

    ShapeMesh model()
    {
        switch (m_kind) {
            case 0: {
                // One draw a statement: the order of a call's arguments is the compiler's choice.
                const float radius = uniform(2, 30);
                const std::uint32_t rings = 3 + below(38);
                const std::uint32_t segments = 3 + below(58);
                return sphere(radius, rings, segments, {0.0f, uniform(0, 30), 0.0f});
            }
            case 1:
                return box();
            case 2:
                return soup(false);
            case 3:
                return soup(true);
            default: {
                constexpr double scales[] = {1e-4, 1e-2, 1.0, 100.0, 1e4};
                const auto radius = static_cast<float>(scales[below(5)]);
                // Small spheres rest on the floor; large ones hold the room.
                const float lift = radius < 40.0f ? radius : 0.0f;
                const std::uint32_t rings = 3 + below(18);
                const std::uint32_t segments = 3 + below(18);
                return sphere(radius, rings, segments, {0.0f, lift, 0.0f});
            }
        }
    }

    // The settings document: a camera for the model, the picture at 48 x 37.
    std::string settings(const ShapeMesh& mesh)
    {
        Vec3 low = mesh.vertices.front();
        Vec3 high = low;
        std::set<float> heights;
        for (const Vec3& v : mesh.vertices) {
            low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
            high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
            heights.insert(v.y + modelFloor);
        }
        Vec3 position{uniform(-39, 39), uniform(-39, 39), uniform(-39, 39)};
        const bool level = below(100) < 35;
        if (level) {
            // The lowest heights hold the boxes' faces and the spheres' bottom rings.
            std::vector<float> choices(heights.begin(),
                                       std::next(heights.begin(), std::min<std::size_t>(6, heights.size())));
            if (below(10) < 3) {
                choices = {0.0f, -39.0f, 1.0f, -20.0f};
            }
            position.y = choices[below(static_cast<std::uint32_t>(choices.size()))];
        }
        Vec3 forward{uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)};
        if (below(10) < 8) {
            const Vec3 centre{(low.x + high.x) / 2, (low.y + high.y) / 2 + modelFloor, (low.z + high.z) / 2};
            forward = {centre.x - position.x + uniform(-3, 3), centre.y - position.y + uniform(-3, 3),
                       centre.z - position.z + uniform(-3, 3)};
        }
        if (level) {
            forward.y = 0.0f;
        }
        if (forward.x == 0.0f && forward.z == 0.0f) {
            forward.x = 1.0f;
        }
        const float viewAcross = uniform(0.3, 2.5);
        const float viewUp = uniform(0.3, 2.5);
        const std::uint32_t depth = below(11);
        return "<?xml version=\"1.0\"?>\n<scene_settings>\n" + element("m_pos", position) +
               element("m_forward", forward) + "<m_viewAngle value_x=\"" + number(viewAcross) + "\" value_y=\"" +
               number(viewUp) + "\"/>\n<m_resolution value_x=\"48\" value_y=\"37\"/>\n<max_depth_ value=\"" +
               std::to_string(depth) + "\"/>\n<min_energy_ value=\"0.000001\"/>\n</scene_settings>\n";
    }

private:
    std::uint32_t below(std::uint32_t count) { return static_cast<std::uint32_t>(m_random.next() % count); }
    float uniform(double low, double high) { return static_cast<float>(m_random.uniform(low, high)); }

    static std::string number(float value)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.9g", value);  // enough digits to read back the same float
        return text;
    }
    static std::string element(const char* name, Vec3 v)
    {
        return std::string("<") + name + " value_x=\"" + number(v.x) + "\" value_y=\"" + number(v.y) + "\" value_z=\"" +
               number(v.z) + "\"/>\n";
    }

    // Rings of segments from pole to pole, each quad of the grid split into two faces.
    static ShapeMesh sphere(float radius, std::uint32_t rings, std::uint32_t segments, Vec3 centre)
    {
        ShapeMesh mesh;
        for (std::uint32_t ring = 0; ring <= rings; ++ring) {
            const double polar = std::numbers::pi * ring / rings;
            for (std::uint32_t segment = 0; segment < segments; ++segment) {
                const double azimuth = 2 * std::numbers::pi * segment / segments;
                mesh.vertices.push_back({centre.x + static_cast<float>(radius * std::sin(polar) * std::cos(azimuth)),
                                         centre.y + static_cast<float>(radius * std::cos(polar)),
                                         centre.z + static_cast<float>(radius * std::sin(polar) * std::sin(azimuth))});
            }
        }
        const auto corner = [segments](std::uint32_t ring, std::uint32_t segment) {
            return static_cast<std::uint16_t>(ring * segments + segment % segments);
        };
        for (std::uint32_t ring = 0; ring < rings; ++ring) {
            for (std::uint32_t segment = 0; segment < segments; ++segment) {
                mesh.faces.push_back({corner(ring, segment), corner(ring, segment + 1), corner(ring + 1, segment)});
                mesh.faces.push_back(
                    {corner(ring, segment + 1), corner(ring + 1, segment + 1), corner(ring + 1, segment)});
            }
        }
        return mesh;
    }

    ShapeMesh box()
    {
        constexpr float lows[] = {-20, -10, -5, 0};
        constexpr float highs[] = {1, 5, 10, 20};
        const Vec3 low{lows[below(4)], lows[below(4)], lows[below(4)]};
        const Vec3 high{highs[below(4)], highs[below(4)], highs[below(4)]};
        ShapeMesh mesh;
        for (int corner = 0; corner < 8; ++corner) {
            mesh.vertices.push_back(
                {corner & 4 ? high.x : low.x, corner & 2 ? high.y : low.y, corner & 1 ? high.z : low.z});
        }
        constexpr std::uint16_t quads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                                               {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
        for (const auto& q : quads) {
            mesh.faces.push_back({q[0], q[1], q[2]});
            mesh.faces.push_back({q[0], q[2], q[3]});
        }
        return mesh;
    }

    ShapeMesh soup(bool slivers)
    {
        constexpr float scales[] = {1, 10, 30};
        const float scale = scales[below(3)];
        const std::uint32_t count = 1 + below(400);
        ShapeMesh mesh;
        for (std::uint32_t face = 0; face < count; ++face) {
            const Vec3 centre{uniform(-scale, scale), uniform(-scale, scale), uniform(-scale, scale)};
            const auto near = [&] {
                const float reach = scale * 0.2f;
                return Vec3{centre.x + uniform(-reach, reach), centre.y + uniform(-reach, reach),
                            centre.z + uniform(-reach, reach)};
            };
            Vec3 a = near();
            Vec3 b = near();
            Vec3 c = near();
            if (slivers) {
                const float along = uniform(0, 1);
                const float hair = scale * 1e-5f;
                c = {a.x + (b.x - a.x) * along + uniform(-hair, hair), a.y + (b.y - a.y) * along + uniform(-hair, hair),
                     a.z + (b.z - a.z) * along + uniform(-hair, hair)};
            }
            if (below(2) == 0) {
                for (Vec3* v : {&a, &b, &c}) {
                    *v = {std::round(v->x), std::round(v->y), std::round(v->z)};
                }
            }
            const auto first = static_cast<std::uint16_t>(mesh.vertices.size());
            mesh.vertices.insert(mesh.vertices.end(), {a, b, c});
            mesh.faces.push_back({first, static_cast<std::uint16_t>(first + 1), static_cast<std::uint16_t>(first + 2)});
        }
        return mesh;
    }

    SplitMix64 m_random;
    std::uint64_t m_kind;
};

}  // namespace

ShapeScene makeShapeScene(std::uint64_t seed)
{
    ShapeMaker maker(seed);
    ShapeScene scene;
    scene.mesh = maker.model();
    scene.settings = maker.settings(scene.mesh);
    return scene;
}

Bytes shapeModelFile(const ShapeMesh& mesh)
{
    return modelFile([&mesh](ChunkWriter& writer) {
        meshObject(writer, "Shape", [&mesh](ChunkWriter& meshWriter) {
            vertexList(meshWriter, mesh.vertices);
            faceList(meshWriter, mesh.faces);
        });
    });
}
