#include "tools/crystal/ModelMeshes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace {

// Prism sides are cut into bands about this long; every tip facet into a small triangle at
// the apex and a trapezoid below it. More triangles exercise the loader without changing the
// shape.
constexpr double bandLength = 2.0;
constexpr int minBands = 2;
constexpr int maxBands = 12;
constexpr std::size_t sides = 6;

// One smoothing group per facet: bits 0-5 the prism sides, 6-11 the tip, 12-17 the foot.
constexpr std::uint32_t prismGroup(std::size_t side) { return 1u << side; }
constexpr std::uint32_t tipGroup(std::size_t side) { return 1u << (sides + side); }
constexpr std::uint32_t footGroup(std::size_t side) { return 1u << (2 * sides + side); }

// Texture coordinates project each crystal along a direction that is oblique to every one of
// its facets (30 degrees round from the first prism edge, 20 degrees off the axis), so no
// facet has a degenerate texture space.
constexpr double projectionSideways = 0.35;
constexpr double projectionAlong = 0.94;
constexpr double textureTile = 8.0;

class MeshBuilder {
public:
    explicit MeshBuilder(MeshGeometry& mesh) : m_mesh(mesh) {}

    std::uint16_t vertex(Vec3d position)
    {
        if (m_mesh.positions.size() > 0xFFFF) {
            throw std::length_error("a mesh holds at most 65536 vertices");
        }
        m_mesh.positions.push_back(position);
        return static_cast<std::uint16_t>(m_mesh.positions.size() - 1);
    }

    void triangle(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint32_t group, Surface surface)
    {
        m_mesh.triangles.push_back({a, b, c, group, surface});
    }

    // The quad a-b-c-d, counter-clockwise, as two triangles.
    void quad(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d, std::uint32_t group, Surface surface)
    {
        triangle(a, b, c, group, surface);
        triangle(a, c, d, group, surface);
    }

private:
    MeshGeometry& m_mesh;
};

void addTexCoords(MeshGeometry& mesh, std::size_t firstVertex, const Crystal& crystal)
{
    const Vec3d second = cross(crystal.axis, crystal.across);
    const Vec3d sideways = crystal.across * (std::sqrt(3.0) * 0.5) + second * 0.5;
    const Vec3d projection = normalized(sideways * projectionSideways + crystal.axis * projectionAlong);
    const Vec3d uDirection = normalized(cross(projection, crystal.axis));
    const Vec3d vDirection = cross(projection, uDirection);
    for (std::size_t i = firstVertex; i < mesh.positions.size(); ++i) {
        const Vec3d offset = mesh.positions[i] - crystal.base;
        mesh.texCoords.push_back({dot(offset, uDirection) / textureTile, dot(offset, vDirection) / textureTile});
    }
}

void addCrystal(MeshGeometry& mesh, const Crystal& crystal)
{
    const CrystalCorners corners = crystalCorners(crystal);
    const int bands = std::clamp(static_cast<int>(crystal.prismLength / bandLength + 0.5), minBands, maxBands);
    const std::size_t firstVertex = mesh.positions.size();
    MeshBuilder builder(mesh);

    // Points along each prism edge, from the bottom ring (level 0) to the top ring (level bands).
    std::array<std::vector<std::uint16_t>, sides> edge;
    for (std::size_t k = 0; k < sides; ++k) {
        for (int level = 0; level <= bands; ++level) {
            const double fraction = static_cast<double>(level) / bands;
            edge[k].push_back(builder.vertex(lerp(corners.bottomRing[k], corners.topRing[k], fraction)));
        }
    }
    std::array<std::uint16_t, sides> tipMiddle{};
    for (std::size_t k = 0; k < sides; ++k) {
        tipMiddle[k] = builder.vertex(lerp(corners.topRing[k], corners.apex, 0.5));
    }
    const std::uint16_t apex = builder.vertex(corners.apex);
    const std::uint16_t sole = builder.vertex(corners.sole);

    for (std::size_t k = 0; k < sides; ++k) {
        const std::size_t next = (k + 1) % sides;
        for (int level = 0; level < bands; ++level) {
            builder.quad(edge[k][level], edge[next][level], edge[next][level + 1], edge[k][level + 1], prismGroup(k),
                         Surface::CrystalPrism);
        }
        const std::uint16_t ring = edge[k][bands];
        const std::uint16_t nextRing = edge[next][bands];
        builder.quad(ring, nextRing, tipMiddle[next], tipMiddle[k], tipGroup(k), Surface::CrystalTip);
        builder.triangle(tipMiddle[k], tipMiddle[next], apex, tipGroup(k), Surface::CrystalTip);
        // Counter-clockwise seen from below.
        builder.triangle(sole, edge[next][0], edge[k][0], footGroup(k), Surface::CrystalPrism);
    }
    addTexCoords(mesh, firstVertex, crystal);
}

}  // namespace

MeshGeometry buildCrystalMesh(const std::vector<Crystal>& crystals)
{
    MeshGeometry mesh;
    for (const Crystal& crystal : crystals) {
        addCrystal(mesh, crystal);
    }
    return mesh;
}

MeshGeometry buildPedestalMesh()
{
    constexpr Vec3d centre{30.0, 0.0, 30.0};
    constexpr double halfWidth = 6.0;
    constexpr double height = 2.0;
    MeshGeometry mesh;
    MeshBuilder builder(mesh);
    // Bit 0 of the index picks +x, bit 1 +y, bit 2 +z.
    for (int corner = 0; corner < 8; ++corner) {
        builder.vertex(centre + Vec3d{(corner & 1) != 0 ? halfWidth : -halfWidth, (corner & 2) != 0 ? height : 0.0,
                                      (corner & 4) != 0 ? halfWidth : -halfWidth});
    }
    constexpr std::array<std::array<std::uint16_t, 4>, 6> faces{{
        {0, 2, 3, 1},
        {4, 5, 7, 6},
        {0, 1, 5, 4},
        {2, 6, 7, 3},
        {0, 4, 6, 2},
        {1, 3, 7, 5},
    }};
    for (const auto& face : faces) {
        builder.quad(face[0], face[1], face[2], face[3], 1, Surface::Pedestal);
    }
    return mesh;
}
