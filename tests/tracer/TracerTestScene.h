#pragma once

#include "maths/Vec3.h"
#include "model3ds/LMesh.h"
#include "scene/Scene.h"
#include "tests/support/SettingsFile.h"
#include "tracer/Renderer.h"

#include <cstdint>
#include <memory>
#include <vector>

// A model given directly: corners in model coordinates and three indices per triangle.
struct TestModel {
    std::vector<Vec3> vertices;
    std::vector<LFaceIndices> faces;
};

// A closed axis-aligned box from low to high, two triangles per side.
TestModel boxModel(Vec3 low, Vec3 high);

// The fixed room, with the given model as its first mesh (none when the model is empty).
// The model file itself does not exist; the count lines this prints are swallowed.
class TracerTestScene : public Scene {
public:
    explicit TracerTestScene(const TestModel& model);
};

std::unique_ptr<TracerTestScene> makeScene(const TestModel& model = {});

// A renderer of the scene, set up through a settings file holding these values.
Renderer makeRenderer(const Scene& scene, const SettingsValues& values);

// The shipped settings (camera, view angles, limits) at another picture size.
SettingsValues shippedSettingsAt(std::uint32_t width, std::uint32_t height);

// The text that reads back as exactly this float.
std::string floatText(float value);
