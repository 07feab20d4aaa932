#include "bench/RecordedRays.h"
#include "bench/ShippedScene.h"
#include "tracer/Renderer.h"

#include <cstdint>
#include <exception>
#include <iostream>
#include <memory>
#include <string>

// Records every ray the tracer follows for the shipped scene and settings at a reduced picture
// size (camera rays and the reflected and refracted rays shading spawns), in pixel order.
// The result is kept as bench/data/default-scene-rays.bin; run again only if the scene changes.
int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: " << argv[0] << " <width> <height> <output file>\n";
        return 2;
    }
    try {
        const auto width = static_cast<std::uint32_t>(std::stoul(argv[1]));
        const auto height = static_cast<std::uint32_t>(std::stoul(argv[2]));
        const auto scene = loadShippedScene();
        const std::unique_ptr<Renderer> ownedRenderer = shippedRenderer(*scene, width, height);
        const Renderer& renderer = *ownedRenderer;

        RecordedRays recorded{width, height, {}};
        for (std::uint32_t y = 0; y < height; ++y) {
            for (std::uint32_t x = 0; x < width; ++x) {
                renderer.traceRecordingRays(renderer.primaryRay(x, y), 0, recorded.rays);
            }
        }
        writeRecordedRays(argv[3], recorded);
        std::cout << recorded.rays.size() << " rays written to " << argv[3] << "\n";
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    } catch (const std::string& message) {
        std::cerr << message << "\n";
        return 1;
    }
    return 0;
}
