#pragma once

// The whole program: loads the model, reads the settings, renders, saves "Result1.png" and
// reports the time; prints "Success." or one error line, then waits for one key.
// Returns the process exit code: 0 after a complete run, 1 after a failure.
int runRenderJob();
