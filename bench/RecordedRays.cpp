#include "bench/RecordedRays.h"

#include <array>
#include <bit>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

constexpr std::array<char, 8> kMagic = {'L', 'U', 'M', 'R', 'A', 'Y', 'S', '1'};
constexpr std::size_t kHeaderBytes = kMagic.size() + 4 + 4 + 8;
constexpr std::size_t kRayBytes = 6 * 4;

void putLittleEndian(std::uint64_t value, int bytes, std::vector<char>& out)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>(value >> (8 * i)));
    }
}

std::uint64_t getLittleEndian(const char* in, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        value |= std::uint64_t{static_cast<unsigned char>(in[i])} << (8 * i);
    }
    return value;
}

float getFloat(const char* in) { return std::bit_cast<float>(static_cast<std::uint32_t>(getLittleEndian(in, 4))); }

}  // namespace

RecordedRays readRecordedRays(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::array<char, kHeaderBytes> header{};
    if (!in.read(header.data(), header.size()) || std::memcmp(header.data(), kMagic.data(), kMagic.size()) != 0) {
        throw std::runtime_error(path.string() + " is not a recorded-ray file");
    }
    RecordedRays recorded;
    recorded.width = static_cast<std::uint32_t>(getLittleEndian(header.data() + 8, 4));
    recorded.height = static_cast<std::uint32_t>(getLittleEndian(header.data() + 12, 4));
    const std::uint64_t count = getLittleEndian(header.data() + 16, 8);
    const std::uintmax_t fileSize = std::filesystem::file_size(path);
    if (count > fileSize / kRayBytes || fileSize != kHeaderBytes + count * kRayBytes) {
        throw std::runtime_error(path.string() + " does not hold the rays its header counts");
    }
    std::vector<char> bytes(count * kRayBytes);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        throw std::runtime_error("cannot read " + path.string());
    }
    recorded.rays.reserve(count);
    for (const char* at = bytes.data(); at != bytes.data() + bytes.size(); at += kRayBytes) {
        recorded.rays.push_back({{getFloat(at), getFloat(at + 4), getFloat(at + 8)},
                                 {getFloat(at + 12), getFloat(at + 16), getFloat(at + 20)},
                                 false,
                                 0.0f});
    }
    return recorded;
}

void writeRecordedRays(const std::filesystem::path& path, const RecordedRays& recorded)
{
    std::vector<char> bytes(kMagic.begin(), kMagic.end());
    putLittleEndian(recorded.width, 4, bytes);
    putLittleEndian(recorded.height, 4, bytes);
    putLittleEndian(recorded.rays.size(), 8, bytes);
    for (const Ray& ray : recorded.rays) {
        for (const float value :
             {ray.origin.x, ray.origin.y, ray.origin.z, ray.direction.x, ray.direction.y, ray.direction.z}) {
            putLittleEndian(std::bit_cast<std::uint32_t>(value), 4, bytes);
        }
    }
    std::ofstream out(path, std::ios::binary);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush()) {
        throw std::runtime_error("cannot write " + path.string());
    }
}
