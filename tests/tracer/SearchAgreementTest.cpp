#include "tests/model3ds/ModelFile.h"
#include "tests/support/CoutCapture.h"
#include "tests/support/TempDir.h"
#include "tests/tracer/SearchAgreement.h"
#include "tests/tracer/TracerTestScene.h"
#include "tools/shapes/ShapeScene.h"
#include "tracer/BvhTraversal.h"
#include "tracer/FloatLanes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

// The accelerated search against brute force on constructed hard rays, over the shipped model,
// the 3DS fixtures and meshes made to be awkward.

namespace {

// The sanitizer build runs the same rays over fewer faces.
#if defined(LUMORA_FEWER_RAYS)
constexpr std::size_t kFaceBudget = 100;
constexpr std::size_t kFaceStride = 29;
#else
constexpr std::size_t kFaceBudget = 1000;
constexpr std::size_t kFaceStride = 3;
#endif

std::unique_ptr<Scene> loadScene(const std::filesystem::path& path)
{
    CoutCapture quiet;
    return std::make_unique<Scene>(path.string());
}

std::filesystem::path shippedModelPath() { return sourceDir() / "data" / "CrystalModel" / "Crystal.3DS"; }

// The model's first mesh as a TestModel, each coordinate mapped by transform.
template <typename Transform>
TestModel transformedModel(const Scene& scene, Transform transform)
{
    TestModel model;
    for (const LVertex& vertex : scene.modelMesh().m_vertices) {
        model.vertices.push_back(transform(Vec3{vertex.x, vertex.y, vertex.z}));
    }
    model.faces = scene.modelMesh().m_faceIndices;
    return model;
}

void expectAgreement(const Scene& scene, std::uint32_t seed, std::size_t faceBudget = kFaceBudget)
{
    const Renderer renderer = makeRenderer(scene, {});
    EXPECT_EQ(searchDisagreement(renderer, hardRays(scene, seed, faceBudget)), "");
}

}  // namespace

TEST(SearchAgreement, ShippedModelOnHardRays)
{
    const auto scene = loadScene(shippedModelPath());
    ASSERT_TRUE(scene->hasModelMesh());
    const Renderer renderer = makeRenderer(*scene, {});
    const std::vector<Ray> rays = hardRays(*scene, 1, kFaceBudget);
    EXPECT_EQ(searchDisagreement(renderer, rays), "");
    // Among them rays lying in face planes, where the test strikes faces with rounding noise.
    EXPECT_GT(
        std::count_if(rays.begin(), rays.end(), [&](const Ray& ray) { return liesInModelFacePlane(renderer, ray); }),
        100);
}

TEST(SearchAgreement, ShippedModelScaledAndMovedOnHardRays)
{
    const auto shipped = loadScene(shippedModelPath());
    ASSERT_TRUE(shipped->hasModelMesh());
    // Small enough that the room lies far outside the model's reach, large enough to fill the
    // room, and far from its own origin.
    for (float scale : {1e-3f, 0.37f, 3.0f}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        expectAgreement(*makeScene(transformedModel(*shipped, [scale](Vec3 p) { return p * scale; })), 2, 300);
    }
    const auto moved = makeScene(transformedModel(*shipped, [](Vec3 p) { return p + Vec3{1e4f, 30.0f, -2e4f}; }));
    expectAgreement(*moved, 3, 300);
}

// Rays that meet faces at slants of a hundredth of a degree or so, from 40 units away, and cross
// their planes just outside an edge: rounding, magnified by the slant, strikes some of them. On a
// copy of the shipped model a hundred times smaller, those strikes lie well outside the boxes
// around the faces (a search that padded its boxes only for rounding at ordinary slants missed
// about one ray in two thousand here).
TEST(SearchAgreement, RaysMeetingSmallFacesAtASlantFromAfar)
{
    const auto shipped = loadScene(shippedModelPath());
    ASSERT_TRUE(shipped->hasModelMesh());
    const auto small = makeScene(transformedModel(*shipped, [](Vec3 p) {
        return p * 0.01f + Vec3{3.0f, 1.0f, -2.0f};
    }));
    const std::vector<TriangleCorners> triangles = worldTriangles(*small);
    std::vector<Ray> rays;
    for (std::size_t face = 0; face < triangles.size(); face += kFaceStride) {
        const Vec3 corners[3] = {triangles[face].p0, triangles[face].p1, triangles[face].p2};
        const Vec3 normal = normalize(cross(corners[1] - corners[0], corners[2] - corners[0]));
        const Vec3 centre = (corners[0] + corners[1] + corners[2]) * (1.0f / 3.0f);
        for (int k = 0; k < 3; ++k) {
            const Vec3 a = corners[k];
            const Vec3 b = corners[(k + 1) % 3];
            const Vec3 along = normalize(b - a);
            Vec3 inwards = cross(normal, along);
            if (dot(inwards, centre - a) < 0.0f) {
                inwards = -inwards;
            }
            for (float outside : {3e-3f, 1e-2f}) {
                const Vec3 crossing = (a + b) * 0.5f - inwards * outside;
                for (float slant : {3e-5f, 6e-5f, 1.2e-4f, 2.5e-4f, -6e-5f, -2.5e-4f}) {
                    // Towards the face, along the edge, and between the two.
                    for (Vec3 heading : {inwards, along, normalize(inwards + along)}) {
                        const Vec3 direction = normalize(heading + normal * slant);
                        rays.push_back({crossing - direction * 40.0f, direction, false, 0.0f});
                    }
                }
            }
        }
    }
    const Renderer renderer = makeRenderer(*small, {});
    EXPECT_EQ(searchDisagreement(renderer, rays), "");
}

TEST(SearchAgreement, EveryFixtureModelOnHardRays)
{
    ASSERT_TRUE(std::filesystem::is_directory(fixtureDir())) << fixtureDir();
    std::size_t withMesh = 0;
    for (const std::filesystem::path& path : fixtureFiles()) {
        const auto scene = loadScene(path);
        if (!scene->hasModelMesh()) {
            continue;
        }
        SCOPED_TRACE(path.filename().string());
        ++withMesh;
        expectAgreement(*scene, 4);
    }
    EXPECT_GT(withMesh, 0u);
}

TEST(SearchAgreement, GeneratedShapesOnHardRays)
{
    // Two of each kind that scripts/compare-searches.sh renders with "shapes": spheres of radius
    // 1e-4 to 1e4, boxes with whole-number corners, triangle soups and slivers.
    for (std::uint64_t seed = 1; seed <= 10; ++seed) {
        SCOPED_TRACE(seed);
        const ShapeMesh shape = makeShapeScene(seed).mesh;
        TestModel model{shape.vertices, {}};
        for (const FaceCorners& corners : shape.faces) {
            model.faces.push_back({corners[0], corners[1], corners[2]});
        }
        expectAgreement(*makeScene(model), static_cast<std::uint32_t>(seed));
    }
}

TEST(SearchAgreement, DegenerateFacesStayOutOfTheTreeAndAgree)
{
    // A box standing on the floor, so the tree has something to hold, and faces that are
    // lines, points, needles and near-slivers around and inside it.
    TestModel model = boxModel({-10.0f, 0.0f, -10.0f}, {10.0f, 20.0f, 10.0f});
    const auto vertex = [&model](Vec3 p) {
        model.vertices.push_back(p);
        return static_cast<std::uint16_t>(model.vertices.size() - 1);
    };
    const std::uint16_t boxCorner = 7;  // (10, 20, 10)
    const std::uint16_t lineA = vertex({-15.0f, 5.0f, 0.0f});
    const std::uint16_t lineB = vertex({0.0f, 5.0f, 0.0f});
    const std::uint16_t lineC = vertex({15.0f, 5.0f, 0.0f});
    const std::uint16_t needleTip = vertex({-15.0f, 5.0f, 1e-5f});
    const std::uint16_t sameAsCorner = vertex({10.0f, 20.0f, 10.0f});
    const std::uint16_t nearCorner = vertex({10.0f, 20.0f, 10.000001f});
    const std::vector<LFaceIndices> degenerate = {
        {lineA, lineB, lineC},                  // collinear: zero area
        {lineC, lineA, lineB},                  //
        {boxCorner, boxCorner, boxCorner},      // one point
        {boxCorner, sameAsCorner, lineB},       // two coincident corners
        {lineA, lineC, needleTip},              // a needle 30 long and 1e-5 wide
        {boxCorner, nearCorner, sameAsCorner},  // a speck
        {lineB, lineB, lineC},                  // a repeated index
    };
    model.faces.insert(model.faces.end(), degenerate.begin(), degenerate.end());
    const auto scene = makeScene(model);
    const Renderer renderer = makeRenderer(*scene, {});
    EXPECT_GE(renderer.m_packedScene.modelBvh.sliverCount(), degenerate.size());
    EXPECT_EQ(searchDisagreement(renderer, hardRays(*scene, 5)), "");
}

TEST(SearchAgreement, LongThinFacesAreNotSkippedWhereRoundingStrikesThem)
{
    // A face 92,000 long and about 12 wide (thinness 1.3e-4, just above the sliver limit) that
    // the brute-force test strikes several units outside itself, with a box beside it: the
    // thinner a face, the further its box must reach. Found by the search_agreement fuzzer.
    TestModel model = boxModel({-10.0f, 0.0f, -10.0f}, {10.0f, 20.0f, 10.0f});
    const auto first = static_cast<std::uint16_t>(model.vertices.size());
    model.vertices.push_back({56647.2773f, 51015.2773f, 51015.2773f});
    model.vertices.push_back({8.0f, 17.0f, 3.83982283e-32f});
    model.vertices.push_back({8.60957776e-42f, 6.81935452e-21f, 7.3496563e-40f});
    model.faces.push_back({first, static_cast<std::uint16_t>(first + 1), static_cast<std::uint16_t>(first + 2)});
    const auto scene = makeScene(model);
    const Renderer renderer = makeRenderer(*scene, {});
    EXPECT_EQ(renderer.m_packedScene.modelBvh.sliverCount(), 0u);
    std::vector<Ray> rays = hardRays(*scene, 9);
    rays.push_back({{-30.0f, 25.0f, 10.0f}, {0.406408548f, -0.880551875f, -0.243845135f}, false, 0.0f});
    EXPECT_EQ(renderer.bruteForceNearestHit(rays.back()).kind, Model);
    EXPECT_EQ(searchDisagreement(renderer, rays), "");
}

TEST(SearchAgreement, OverlappingAndRepeatedTrianglesKeepTheTieRules)
{
    // A soup of random triangles, then the same triangles again in reverse order with their
    // corners rotated: every hit is a tie at equal t between two faces in different leaves.
    std::mt19937 random(6);
    std::uniform_real_distribution<float> coordinate(-30.0f, 30.0f);
    std::uniform_real_distribution<float> offset(-6.0f, 6.0f);
    TestModel model;
    constexpr int kTriangles = 400;
    for (int i = 0; i < kTriangles; ++i) {
        const Vec3 centre{coordinate(random), coordinate(random) * 0.5f + 40.0f, coordinate(random)};
        for (int k = 0; k < 3; ++k) {
            model.vertices.push_back(centre + Vec3{offset(random), offset(random), offset(random)});
        }
        const auto first = static_cast<std::uint16_t>(3 * i);
        model.faces.push_back({first, static_cast<std::uint16_t>(first + 1), static_cast<std::uint16_t>(first + 2)});
    }
    for (int i = kTriangles - 1; i >= 0; --i) {
        const auto first = static_cast<std::uint16_t>(3 * i);
        model.faces.push_back({static_cast<std::uint16_t>(first + 1), static_cast<std::uint16_t>(first + 2), first});
    }
    expectAgreement(*makeScene(model), 7);
}

TEST(SearchAgreement, RaysAlongSlantedEdgesFromTheirCornersNeedNoExclusion)
{
    // A box turned about a slanted axis: every face plane is slanted, so a ray along an edge has
    // a det of rounding noise against both faces that share the edge and against their coplanar
    // neighbours, and the brute-force test strikes them at arbitrary distances. Starting at a
    // corner, the ray meets those faces in the tree, which hands it to brute force: the records
    // agree without leaving any ray out.
    TestModel model = boxModel({-8.0f, 0.0f, -8.0f}, {8.0f, 16.0f, 8.0f});
    const double turn = 0.7;
    const double tilt = 0.4;
    for (Vec3& p : model.vertices) {
        const double x = p.x * std::cos(turn) - p.y * std::sin(turn);
        const double y = p.x * std::sin(turn) + p.y * std::cos(turn);
        p = {static_cast<float>(x), static_cast<float>(y * std::cos(tilt) - p.z * std::sin(tilt) + 20.0),
             static_cast<float>(y * std::sin(tilt) + p.z * std::cos(tilt))};
    }
    const auto scene = makeScene(model);
    const Renderer renderer = makeRenderer(*scene, {});
    std::vector<Ray> rays;
    for (const LFaceIndices& face : model.faces) {
        const std::uint16_t corners[3] = {face.a, face.b, face.c};
        for (int k = 0; k < 3; ++k) {
            const Vec3 from = model.vertices[corners[k]] + scene->m_modelPos;
            const Vec3 to = model.vertices[corners[(k + 1) % 3]] + scene->m_modelPos;
            rays.push_back({from, normalize(to - from), false, 0.0f});
            rays.push_back({to, normalize(from - to), false, 0.0f});
        }
    }
    EXPECT_EQ(searchDisagreement(renderer, rays), "");
}

// Rays that strike the model need no room search when they start and end in a box around the
// model kept apart from the room's surfaces. Here the model pokes through the floor and the left
// wall and into the mirror, so that box must give way to all three: rays from within the model,
// which strike it from inside, often meet one of them first.
TEST(SearchAgreement, ModelThroughTheFloorAWallAndTheMirrorLeavesThemFound)
{
    // In world coordinates x from -45 to 10, y from -42 to -5, z from -10 to 5: the mirror's
    // plane x - z = 20 passes through its corner at x = 10, z = -10.
    const auto scene = makeScene(boxModel({-45.0f, -2.0f, -10.0f}, {10.0f, 35.0f, 5.0f}));
    const Renderer renderer = makeRenderer(*scene, {});
    std::mt19937 random(8);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::normal_distribution<float> gaussian;
    const Vec3 low{-46.0f, -43.0f, -11.0f};
    const Vec3 high{11.0f, -4.0f, 6.0f};
    std::vector<Ray> rays;
    std::size_t meetingTheRoomFirst = 0;
    for (int i = 0; i < 20000; ++i) {
        const Vec3 origin{low.x + (high.x - low.x) * unit(random), low.y + (high.y - low.y) * unit(random),
                          low.z + (high.z - low.z) * unit(random)};
        const Ray ray{origin, normalize(Vec3{gaussian(random), gaussian(random), gaussian(random)}), false, 0.0f};
        const HitRecord model = renderer.intersectModel(ray);
        const HitRecord nearest = renderer.bruteForceNearestHit(ray);
        meetingTheRoomFirst += model.kind == Model && nearest.kind != Model;
        rays.push_back(ray);
    }
    // The rays do test the box: many strike the model only after a room surface.
    EXPECT_GT(meetingTheRoomFirst, 1000u);
    EXPECT_EQ(searchDisagreement(renderer, rays), "");
}

// The mirror is the room's one slanted surface. A ray lying in its plane, from a point of the
// plane away from the mirror, never enters the mirror's box, yet the test may strike the mirror
// there: a fuzzed ray from (20, -35, 0) straight down but for an x of -1.7e-18 was struck at
// t = -0, its own origin, where the room's packs answered the floor.
TEST(SearchAgreement, RaysInTheMirrorPlaneAwayFromTheMirrorAgree)
{
    const auto scene = loadScene(shippedModelPath());
    const Renderer renderer = makeRenderer(*scene, {});
    std::vector<Ray> rays{Ray{{20.0f, -35.0f, 0.0f}, {-1.73468873e-18f, -1.0f, 0.0f}, false, 0.0f}};
    // The mirror's plane holds (20 - a, y, -a); it spans a from 0 to 20 and y from -10 to 10.
    for (const float a : {-15.0f, -5.0f, 0.0f, 7.5f, 20.0f, 35.0f}) {
        for (const float y : {-35.0f, -20.0f, 0.0f, 15.0f, 30.0f}) {
            for (const float tilt : {0.0f, 1e-18f, -1e-18f, 1e-12f, -1e-9f, 1e-7f}) {
                for (const Vec3 along : {Vec3{0.0f, 1.0f, 0.0f}, Vec3{0.0f, -1.0f, 0.0f}, Vec3{1.0f, 0.25f, 1.0f},
                                         Vec3{-1.0f, -0.5f, -1.0f}, Vec3{0.6f, 0.0f, 0.6f}}) {
                    rays.push_back(Ray{{20.0f - a, y, -a}, {along.x + tilt, along.y, along.z}, false, 0.0f});
                }
            }
        }
    }
    EXPECT_EQ(searchDisagreement(renderer, rays), "");
}

// The same for a model face: a camera placed in the plane of a slanted face sends rays along
// that plane, which the test may strike the face with anywhere. Here the face is the mirror's
// triangle moved into the model, and the camera stands where the fuzzed ray above started.
TEST(SearchAgreement, CameraRaysInTheCameraPlaneOfASlantedFaceAgree)
{
    TestModel model = boxModel({-10.0f, 0.0f, -10.0f}, {10.0f, 20.0f, 10.0f});
    const auto first = static_cast<std::uint16_t>(model.vertices.size());
    model.vertices.push_back({0.0f, 30.0f, -20.0f});
    model.vertices.push_back({0.0f, 10.0f, -20.0f});
    model.vertices.push_back({20.0f, 30.0f, 0.0f});
    model.faces.push_back({first, static_cast<std::uint16_t>(first + 1), static_cast<std::uint16_t>(first + 2)});
    const auto scene = makeScene(model);
    SettingsValues camera;
    camera.posX = "20";
    camera.posY = "-35";
    camera.posZ = "0";
    const Renderer renderer = makeRenderer(*scene, camera);

    std::vector<Ray> rays;
    for (const float tilt : {0.0f, 1e-18f, -1.73468873e-18f, 1e-12f, -1e-9f, 1e-7f}) {
        for (const Vec3 along : {Vec3{0.0f, -1.0f, 0.0f}, Vec3{0.0f, 1.0f, 0.0f}, Vec3{1.0f, 0.25f, 1.0f},
                                 Vec3{-1.0f, -0.5f, -1.0f}, Vec3{0.6f, 0.0f, 0.6f}, Vec3{-0.6f, 0.1f, -0.6f}}) {
            rays.push_back({renderer.m_pos, {along.x + tilt, along.y, along.z}, false, 0.0f});
        }
    }
    EXPECT_EQ(searchDisagreement(renderer, rays), "");
}

TEST(SearchAgreement, EveryPathRendersTheSamePicture)
{
    // The shipped scene, small, once on each path the processor runs: the same bits everywhere.
    const std::vector<SearchPath> paths = runningSearchPaths();
    if (paths.size() < 2) {
        GTEST_SKIP() << "only one search path runs on this processor";
    }
    const auto scene = loadScene(shippedModelPath());
    ASSERT_TRUE(scene->hasModelMesh());
    std::vector<std::vector<Vec3>> pictures;
    for (SearchPath path : paths) {
        Renderer renderer = makeRenderer(*scene, shippedSettingsAt(96, 71));
        renderer.m_searchPath = path;
        renderer.render();
        pictures.push_back(renderer.m_framebuffer);
    }
    for (std::size_t i = 1; i < pictures.size(); ++i) {
        ASSERT_EQ(pictures[i].size(), pictures[0].size());
        std::size_t differing = 0;
        for (std::size_t pixel = 0; pixel < pictures[0].size(); ++pixel) {
            differing += std::memcmp(&pictures[i][pixel], &pictures[0][pixel], sizeof(Vec3)) != 0;
        }
        EXPECT_EQ(differing, 0u);
    }
}
