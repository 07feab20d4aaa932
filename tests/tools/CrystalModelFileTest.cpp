#include "model3ds/L3DS.h"
#include "tests/support/TempDir.h"
#include "tools/crystal/CrystalModelFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <numeric>
#include <set>
#include <vector>

namespace {

std::filesystem::path shippedModelPath() { return sourceDir() / "data/CrystalModel/Crystal.3DS"; }

struct Point {
    double x;
    double y;
    double z;
};

Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot(Point a, Point b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Point cross(Point a, Point b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Point unit(Point a)
{
    const double length = std::sqrt(dot(a, a));
    return {a.x / length, a.y / length, a.z / length};
}

// Adds a direction unless a parallel one is already there.
void addDirection(std::vector<Point>& directions, Point direction)
{
    const Point candidate = unit(direction);
    const bool known = std::any_of(directions.begin(), directions.end(),
                                   [&](Point known) { return std::abs(dot(known, candidate)) > 1.0 - 1e-9; });
    if (!known) {
        directions.push_back(candidate);
    }
}

// One connected piece of the mesh, its vertices merged by position.
struct Shell {
    std::vector<Point> points;
    std::vector<std::array<std::size_t, 3>> faces;  // indices into points
    std::vector<Point> faceNormals;                 // one per distinct plane direction
    std::vector<Point> edgeDirections;              // one per distinct direction
    Point low{1e30, 1e30, 1e30};
    Point high{-1e30, -1e30, -1e30};
};

// The mesh as shells: faces that share a corner position belong to one shell.
std::vector<Shell> shellsOf(const LMesh& mesh)
{
    std::map<std::array<float, 3>, std::size_t> positionIds;
    std::vector<Point> positions;
    std::vector<std::size_t> positionOfVertex;
    for (const LVertex& vertex : mesh.m_vertices) {
        const auto [entry, added] = positionIds.try_emplace({vertex.x, vertex.y, vertex.z}, positions.size());
        if (added) {
            positions.push_back({vertex.x, vertex.y, vertex.z});
        }
        positionOfVertex.push_back(entry->second);
    }

    std::vector<std::size_t> parent(positions.size());
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&](std::size_t id) {
        while (parent[id] != id) {
            id = parent[id] = parent[parent[id]];
        }
        return id;
    };
    std::vector<std::array<std::size_t, 3>> faces;
    for (const LFaceIndices& face : mesh.m_faceIndices) {
        faces.push_back({positionOfVertex[face.a], positionOfVertex[face.b], positionOfVertex[face.c]});
        parent[root(faces.back()[1])] = root(faces.back()[0]);
        parent[root(faces.back()[2])] = root(faces.back()[0]);
    }

    std::map<std::size_t, Shell> shellOfRoot;
    std::vector<std::map<std::size_t, std::size_t>> localIds(positions.size());
    for (const auto& face : faces) {
        Shell& shell = shellOfRoot[root(face[0])];
        std::array<std::size_t, 3> local{};
        for (std::size_t corner = 0; corner < 3; ++corner) {
            const auto [entry, added] = localIds[root(face[0])].try_emplace(face[corner], shell.points.size());
            if (added) {
                const Point p = positions[face[corner]];
                shell.points.push_back(p);
                shell.low = {std::min(shell.low.x, p.x), std::min(shell.low.y, p.y), std::min(shell.low.z, p.z)};
                shell.high = {std::max(shell.high.x, p.x), std::max(shell.high.y, p.y), std::max(shell.high.z, p.z)};
            }
            local[corner] = entry->second;
        }
        shell.faces.push_back(local);
        const Point a = shell.points[local[0]];
        const Point b = shell.points[local[1]];
        const Point c = shell.points[local[2]];
        addDirection(shell.faceNormals, cross(b - a, c - a));
        addDirection(shell.edgeDirections, b - a);
        addDirection(shell.edgeDirections, c - b);
        addDirection(shell.edgeDirections, a - c);
    }
    std::vector<Shell> shells;
    for (auto& [id, shell] : shellOfRoot) {
        shells.push_back(std::move(shell));
    }
    return shells;
}

// Projections of both shells on the axis leave a gap of at least minGap between them.
bool separatedAlong(Point axis, const Shell& first, const Shell& second, double minGap)
{
    auto extent = [&](const Shell& shell) {
        double low = 1e30;
        double high = -1e30;
        for (const Point& p : shell.points) {
            low = std::min(low, dot(p, axis));
            high = std::max(high, dot(p, axis));
        }
        return std::array<double, 2>{low, high};
    };
    const auto a = extent(first);
    const auto b = extent(second);
    return a[1] + minGap < b[0] || b[1] + minGap < a[0];
}

// Separating-axis test for two convex shells: face normals of either, then cross products of
// their edge directions.
bool convexShellsApart(const Shell& first, const Shell& second, double minGap)
{
    for (const Shell* shell : {&first, &second}) {
        for (const Point& normal : shell->faceNormals) {
            if (separatedAlong(normal, first, second, minGap)) {
                return true;
            }
        }
    }
    for (const Point& edge : first.edgeDirections) {
        for (const Point& other : second.edgeDirections) {
            const Point axis = cross(edge, other);
            if (dot(axis, axis) > 1e-12 && separatedAlong(unit(axis), first, second, minGap)) {
                return true;
            }
        }
    }
    return false;
}

bool boxesOverlap(const Shell& first, const Shell& second, double margin)
{
    return first.low.x - margin <= second.high.x && second.low.x - margin <= first.high.x &&
           first.low.y - margin <= second.high.y && second.low.y - margin <= first.high.y &&
           first.low.z - margin <= second.high.z && second.low.z - margin <= first.high.z;
}

class ShippedCrystalModel : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_model = std::make_unique<L3DS>();
        s_loaded = s_model->loadFile(shippedModelPath().string().c_str());
    }
    static void TearDownTestSuite() { s_model.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(s_loaded);
        ASSERT_GT(s_model->getMeshCount(), 0u);
    }

    static const LMesh& crystalMesh() { return s_model->getMesh(0); }

    static std::unique_ptr<L3DS> s_model;
    static bool s_loaded;
};

std::unique_ptr<L3DS> ShippedCrystalModel::s_model;
bool ShippedCrystalModel::s_loaded = false;

}  // namespace

TEST(CrystalModelFile, RegeneratesTheShippedFileByteForByte)
{
    TempDir dir;
    const auto regenerated = dir.path() / "Crystal.3DS";
    writeCrystalModel(regenerated);

    const std::string shipped = readFileBytes(shippedModelPath());
    const std::string fresh = readFileBytes(regenerated);
    ASSERT_FALSE(shipped.empty());
    EXPECT_EQ(fresh.size(), shipped.size());
    EXPECT_TRUE(fresh == shipped) << "regenerate " << shippedModelPath() << " with lumora_make_crystal";
}

TEST_F(ShippedCrystalModel, HoldsWhatTheGeneratorMeant)
{
    const CrystalModelSummary intended = crystalModelSummary();
    EXPECT_EQ(s_model->getMeshCount(), intended.meshCount);
    EXPECT_EQ(s_model->getLightCount(), intended.lightCount);
    EXPECT_EQ(s_model->getMaterialCount(), intended.materialCount);
    EXPECT_EQ(crystalMesh().m_faceIndices.size(), intended.crystalTriangleCount);

    const std::size_t vertexCount = crystalMesh().m_vertices.size();
    for (const LFaceIndices& face : crystalMesh().m_faceIndices) {
        ASSERT_LT(face.a, vertexCount);
        ASSERT_LT(face.b, vertexCount);
        ASSERT_LT(face.c, vertexCount);
    }

    std::set<std::int32_t> usedMaterials;
    for (std::uint32_t i = 0; i < s_model->getMeshCount(); ++i) {
        const auto& ids = s_model->getMesh(i).m_materialIds;
        usedMaterials.insert(ids.begin(), ids.end());
    }
    for (std::uint32_t i = 0; i < s_model->getMaterialCount(); ++i) {
        EXPECT_TRUE(usedMaterials.contains(s_model->getMaterial(i).m_id)) << s_model->getMaterial(i).getName();
    }
}

TEST_F(ShippedCrystalModel, EveryCrystalIsAClosedConvexShellApartFromTheOthers)
{
    const std::vector<Shell> shells = shellsOf(crystalMesh());
    EXPECT_EQ(shells.size(), crystalModelSummary().crystalCount);

    for (std::size_t s = 0; s < shells.size(); ++s) {
        SCOPED_TRACE("shell " + std::to_string(s));
        const Shell& shell = shells[s];
        std::map<std::pair<std::size_t, std::size_t>, int> edgeUses;
        for (const auto& face : shell.faces) {
            for (std::size_t corner = 0; corner < 3; ++corner) {
                const std::size_t from = face[corner];
                const std::size_t to = face[(corner + 1) % 3];
                ++edgeUses[{std::min(from, to), std::max(from, to)}];
            }
            // Convex and wound outwards: no point of the shell lies in front of any face.
            const Point a = shell.points[face[0]];
            const Point normal = unit(cross(shell.points[face[1]] - a, shell.points[face[2]] - a));
            for (const Point& p : shell.points) {
                ASSERT_LE(dot(normal, p - a), 1e-4);
            }
        }
        for (const auto& [edge, uses] : edgeUses) {
            ASSERT_EQ(uses, 2) << "edge between shell points " << edge.first << " and " << edge.second;
        }
    }

    // Far more than the 0.001 by which secondary rays leave a surface.
    constexpr double minGap = 0.05;
    for (std::size_t first = 0; first < shells.size(); ++first) {
        for (std::size_t second = first + 1; second < shells.size(); ++second) {
            if (boxesOverlap(shells[first], shells[second], minGap)) {
                EXPECT_TRUE(convexShellsApart(shells[first], shells[second], minGap))
                    << "shells " << first << " and " << second;
            }
        }
    }
}

TEST_F(ShippedCrystalModel, StandsOnTheFloorInsideTheRoomAndClearOfTheMirror)
{
    float lowest = 1e30f;
    for (const LVertex& v : crystalMesh().m_vertices) {
        lowest = std::min(lowest, v.y);
        // The walls are 40 away; the mirror stands in the plane x - z = 20.
        EXPECT_LE(std::abs(v.x), 25.0f);
        EXPECT_LE(std::abs(v.z), 25.0f);
        EXPECT_LE(v.y, 45.0f);
        EXPECT_LE(v.x - v.z, 16.0f);
    }
    EXPECT_NEAR(lowest, 0.0f, 1e-5f);
}

TEST_F(ShippedCrystalModel, FacetsStayFlatAndHaveATextureSpace)
{
    const LMesh& mesh = crystalMesh();
    for (const LFace& face : mesh.m_faces) {
        for (std::uint16_t corner : {face.a, face.b, face.c}) {
            const Vec3 normal = mesh.m_normals[corner];
            ASSERT_NEAR(normal.x, face.normal.x, 1e-4f);
            ASSERT_NEAR(normal.y, face.normal.y, 1e-4f);
            ASSERT_NEAR(normal.z, face.normal.z, 1e-4f);
            const Vec3 tangent = mesh.m_tangents[corner];
            ASSERT_NEAR(tangent.x * tangent.x + tangent.y * tangent.y + tangent.z * tangent.z, 1.0f, 1e-4f);
        }
    }
}
