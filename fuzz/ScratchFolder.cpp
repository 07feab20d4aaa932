#include "fuzz/ScratchFolder.h"

#include <fstream>
#include <random>
#include <string>
#include <system_error>

ScratchFolder::ScratchFolder()
{
    std::random_device seed;
    std::mt19937_64 random(seed());
    do {
        m_path = std::filesystem::temp_directory_path() / ("lumora-fuzz-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(m_path));
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path ScratchFolder::write(const char* name, const void* data, std::size_t size) const
{
    const std::filesystem::path file = m_path / name;
    // A new file each time: truncating one in place makes ext4 flush it to disk on close, which
    // would make disk writes most of each run.
    std::filesystem::remove(file);
    std::ofstream(file, std::ios::binary).write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return file;
}
