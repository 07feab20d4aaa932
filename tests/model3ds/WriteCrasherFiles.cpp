#include "tests/model3ds/CrasherModels.h"

#include <filesystem>
#include <fstream>
#include <iostream>

// Writes the crasher models as files into the given folder, the loader fuzzer's regressions:
//     write_crasher_files fuzz/regressions/load_model
int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: write_crasher_files <folder>" << std::endl;
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (const CrasherFile& file : crasherFiles()) {
        std::ofstream stream(folder / file.name, std::ios::binary | std::ios::trunc);
        stream.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
        if (!stream) {
            std::cerr << "cannot write " << (folder / file.name).string() << std::endl;
            return 1;
        }
    }
    return 0;
}
