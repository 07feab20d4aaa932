#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// A fresh directory under the system's temporary folder, removed with everything in it
// when the object is destroyed.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Writes a file below the directory (creating folders on the way) and returns its path.
    std::filesystem::path write(const std::filesystem::path& relative, std::string_view content) const;

private:
    std::filesystem::path m_path;
};

// The project's source tree, as the test runner passes it (LUMORA_SOURCE_DIR).
std::filesystem::path sourceDir();

// The whole content of a file; empty when it cannot be read.
std::string readFileBytes(const std::filesystem::path& path);
