#include "app/RunSequence.h"

#include "app/KeyWait.h"
#include "app/ModelFileCheck.h"
#include "app/RunTimer.h"
#include "image/ImagePathCheck.h"
#include "scene/Scene.h"
#include "tracer/Renderer.h"

#include <exception>
#include <iostream>
#include <string>

namespace {

// Relative to the working directory.
const char* const modelPath = "data/CrystalModel/Crystal.3DS";
const char* const settingsPath = "scene_settings.xml";
const char* const imagePath = "Result1.png";

// The scene and the renderer live only inside this call: the renderer, which points at the
// scene, is destroyed first, and both are gone before the final messages.
void renderAndSave()
{
    Scene scene(modelPath);
    refuseSceneWithoutModelMesh(scene, modelPath);
    Renderer renderer(&scene, settingsPath);
    refuseUnwritableImagePath(imagePath);
    RunTimer timer;
    renderer.render();
    renderer.saveImage(imagePath);
    timer.report();
}

int waitForKey(int exitCode)
{
    std::cout << "Press any key to continue." << std::endl;
    waitForOneKey();
    return exitCode;
}

}  // namespace

int runReported(const std::function<void()>& job)
{
    try {
        job();
    } catch (const std::string& message) {
        std::cout << "Error. " << message << std::endl;
        return waitForKey(1);
    } catch (const std::exception& exception) {
        std::cout << "Error. Unexpected exception. Message: " << exception.what() << std::endl;
        return waitForKey(1);
    } catch (...) {
        std::cout << "Fatal error. Unhandled exception." << std::endl;
        return waitForKey(1);
    }
    std::cout << "Success." << std::endl;
    return waitForKey(0);
}

int runRenderJob() { return runReported(renderAndSave); }
