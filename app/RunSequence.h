#pragma once

#include "app/CommandLine.h"

#include <functional>

enum class KeyWait { afterLastLine, none };

// Runs the job and reports how it ended: "Success." or the one error line for whatever it
// threw, then prompts for one key and, unless told not to, waits for it. Returns the process
// exit code: 0 after a complete job, 1 after a failure.
int runReported(const std::function<void()>& job, KeyWait keyWait = KeyWait::afterLastLine);

// The whole program: loads the model, reads the settings, renders, saves the picture and
// reports the time, through runReported.
int runRenderJob(const RunOptions& options);
