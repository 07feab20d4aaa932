#include "tests/model3ds/ModelFile.h"

#include "tests/support/TempDir.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>

bool TestImporter::load(const Bytes& bytes)
{
    if (const char* seedDir = std::getenv("LUMORA_SEED_DIR")) {
        // Named by content, so a model that several tests load is saved once.
        const std::size_t hash = std::hash<std::string>{}(std::string(bytes.begin(), bytes.end()));
        std::ofstream(std::filesystem::path(seedDir) / ("test-" + std::to_string(hash) + ".3ds"), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    return loadFromMemory(bytes.data(), bytes.size());
}

std::filesystem::path fixtureDir() { return sourceDir() / "tests" / "model3ds" / "fixtures"; }

std::vector<std::filesystem::path> fixtureFiles()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(fixtureDir())) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char letter) { return static_cast<char>(std::tolower(letter)); });
        if (extension == ".3ds") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}
