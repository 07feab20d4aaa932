#pragma once

#include <cstdio>
#include <functional>
#include <string>

// Writes a file through a temporary file beside it, in the same folder, that is renamed over
// path only after writeContent reported success and the file closed without error. So path
// holds either its earlier content or the complete new one, never a partial file, and the
// temporary is removed whenever the write fails. On failure errno holds the error of the step
// that failed (EIO when writeContent failed without a system error).
bool replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& writeContent);
