#include "tests/model3ds/ModelFile.h"

#include "tests/support/TempDir.h"

#include <algorithm>
#include <cctype>
#include <string>

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
