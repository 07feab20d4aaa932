#pragma once

#include <functional>

// Runs the job and reports how it ended: "Success." or the one error line for whatever it
// threw, then waits for one key. Returns the process exit code: 0 after a complete job, 1
// after a failure.
int runReported(const std::function<void()>& job);

// The whole program: loads the model, reads the settings, renders, saves "Result1.png" and
// reports the time, through runReported.
int runRenderJob();
