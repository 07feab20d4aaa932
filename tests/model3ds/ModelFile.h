#pragma once

#include "model3ds/L3DS.h"
#include "model3ds/L3DSChunkIds.h"
#include "tools/chunkwriter/ModelChunks.h"

#include <filesystem>
#include <vector>

// What the loader's tests read: models written in memory with the model chunk writer, and the
// fixture files from other tools.

// An importer whose post-processing level a test can choose (-1: none, so meshes stay as read).
class TestImporter : public L3DS {
public:
    using L3DS::m_postProcessLevel;

    bool load(const Bytes& bytes) { return loadFromMemory(bytes.data(), bytes.size()); }
};

// The 3DS models from other tools that every test run must read, kept in the repository.
std::filesystem::path fixtureDir();
std::vector<std::filesystem::path> fixtureFiles();
