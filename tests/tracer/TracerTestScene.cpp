#include "tests/tracer/TracerTestScene.h"

#include "tests/support/CoutCapture.h"
#include "tests/support/TempDir.h"

#include <charconv>
#include <string>

TestModel boxModel(Vec3 low, Vec3 high)
{
    TestModel model;
    // Corner i has the high x when bit 0 is set, the high y for bit 1, the high z for bit 2.
    for (int corner = 0; corner < 8; ++corner) {
        model.vertices.push_back(
            {(corner & 1) ? high.x : low.x, (corner & 2) ? high.y : low.y, (corner & 4) ? high.z : low.z});
    }
    model.faces = {{0, 2, 6}, {0, 6, 4}, {1, 5, 7}, {1, 7, 3}, {0, 4, 5}, {0, 5, 1},
                   {2, 3, 7}, {2, 7, 6}, {0, 1, 3}, {0, 3, 2}, {4, 6, 7}, {4, 7, 5}};
    return model;
}

TracerTestScene::TracerTestScene(const TestModel& model) : Scene("no-such-folder/no-such-model.3DS")
{
    if (model.faces.empty()) {
        return;
    }
    // The tracer reads only the vertex positions and the face indices.
    LMesh mesh;
    for (const Vec3& vertex : model.vertices) {
        mesh.m_vertices.push_back({vertex.x, vertex.y, vertex.z, 0.0f});
    }
    mesh.m_faceIndices = model.faces;
    m_meshes.push_back(mesh);
}

std::unique_ptr<TracerTestScene> makeScene(const TestModel& model)
{
    CoutCapture quiet;
    return std::make_unique<TracerTestScene>(model);
}

Renderer makeRenderer(const Scene& scene, const SettingsValues& values)
{
    const TempDir folder;
    const auto path = folder.write("scene_settings.xml", settingsXml(values));
    return Renderer(&scene, path.string());
}

SettingsValues shippedSettingsAt(std::uint32_t width, std::uint32_t height)
{
    return {.posX = "0",
            .posY = "4",
            .posZ = "40",
            .forwardX = "0",
            .forwardY = "-0.4",
            .forwardZ = "-1",
            .angleX = "1.34948194",
            .angleY = "1.08083904",
            .width = std::to_string(width),
            .height = std::to_string(height),
            .maxDepth = "8",
            .minEnergy = "0.000001"};
}

std::string floatText(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}
