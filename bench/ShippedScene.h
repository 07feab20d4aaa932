#pragma once

#include "scene/Scene.h"
#include "tracer/Renderer.h"

#include <cstdint>
#include <filesystem>
#include <memory>

// The program's own workload for the benchmarks: the shipped model and settings, found through
// the project root compiled into the benchmark programs, so they run from any folder.

// The shipped model, loaded without the model counts the loader prints.
std::unique_ptr<Scene> loadShippedScene();

// A renderer of the scene with the shipped settings, at the given picture size instead of theirs.
std::unique_ptr<Renderer> shippedRenderer(const Scene& scene, std::uint32_t width, std::uint32_t height);

// A file kept with the benchmarks, such as the recorded rays.
std::filesystem::path benchDataFile(const char* name);
