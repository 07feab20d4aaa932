#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <system_error>
#include <vector>

// The fuzz target this driver is linked with.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

// Runs the fuzz target once on every file of the folders named on the command line, in name
// order, as libFuzzer would run a crash input: a finding still present crashes, aborts or is
// reported by the sanitizers. A folder that does not exist holds nothing (a target may have no
// regressions yet), but finding no input at all fails, since the folders were then misnamed.
int main(int argc, char** argv)
{
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const std::filesystem::path& file : filesIn(argv[i])) {
            // Named before the run, so that a crash is reported under the input that caused it.
            std::cout << "replaying " << file.string() << std::endl;
            std::ifstream stream(file, std::ios::binary);
            const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(stream),
                                                  std::istreambuf_iterator<char>()};
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    std::cout << "replayed " << replayed << " inputs" << std::endl;
    return replayed == 0 ? 1 : 0;
}
