#pragma once

#include <cstddef>
#include <filesystem>

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object is destroyed. For fuzz targets whose code under test reads files by path.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Writes the bytes as a new file of that name in the folder and returns its path.
    std::filesystem::path write(const char* name, const void* data, std::size_t size) const;

private:
    std::filesystem::path m_path;
};
