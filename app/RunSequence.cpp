#include "app/RunSequence.h"

#include "app/KeyWait.h"
#include "app/ModelFileCheck.h"
#include "app/RenderProgress.h"
#include "app/RunTimer.h"
#include "image/ImagePathCheck.h"
#include "scene/Scene.h"
#include "tracer/Renderer.h"

#include <exception>
#include <iostream>
#include <string>

namespace {

// The scene and the renderer live only inside this call: the renderer, which points at the
// scene, is destroyed first, and both are gone before the final messages.
void renderAndSave(const RunOptions& options)
{
    Scene scene(options.modelPath);
    refuseSceneWithoutModelMesh(scene, options.modelPath);
    Renderer renderer(&scene, options.settingsPath, options.resolution);
    refuseUnwritableImagePath(options.outputPath);
    RunTimer timer;
    renderShowingProgress(renderer, options.showProgress);
    renderer.saveImage(options.outputPath);
    timer.report();
}

// Prints how the job ended and returns the exit code.
int reportOutcome(const std::function<void()>& job)
{
    try {
        job();
    } catch (const std::string& message) {
        std::cout << "Error. " << message << std::endl;
        return 1;
    } catch (const std::exception& exception) {
        std::cout << "Error. Unexpected exception. Message: " << exception.what() << std::endl;
        return 1;
    } catch (...) {
        std::cout << "Fatal error. Unhandled exception." << std::endl;
        return 1;
    }
    std::cout << "Success." << std::endl;
    return 0;
}

}  // namespace

int runReported(const std::function<void()>& job, KeyWait keyWait)
{
    const int exitCode = reportOutcome(job);
    // The prompt is part of every transcript; only the wait itself can be left out.
    std::cout << "Press any key to continue." << std::endl;
    if (keyWait == KeyWait::afterLastLine) {
        waitForOneKey();
    }
    return exitCode;
}

int runRenderJob(const RunOptions& options)
{
    return runReported([&options] { renderAndSave(options); },
                       options.waitForKey ? KeyWait::afterLastLine : KeyWait::none);
}
