#include "tools/chunkwriter/ModelChunks.h"
#include "tools/crystal/SplitMix64.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

// Writes a damaged copy of a model file, the damage chosen by a seed, so that the same seed
// always gives the same file:
//     lumora_mutate_model INPUT OUTPUT SEED
// One of five kinds per seed: flipped bits; 32-bit words overwritten with NaN, infinities, the
// largest float, the smallest subnormal or random bits (vertices that the search must survive);
// 16-bit words overwritten with 0, 65535 or random values (counts and vertex indices); the file
// cut short; or a block copied over from elsewhere in the file.

namespace {

class Damage {
public:
    Damage(Bytes& bytes, std::uint64_t seed) : m_bytes(bytes), m_random(seed) {}

    void apply()
    {
        switch (below(5)) {
            case 0:
                repeat(20, [this] { m_bytes[position(1)] ^= static_cast<unsigned char>(1u << below(8)); });
                break;
            case 1:
                repeat(50, [this] {
                    constexpr std::array<std::uint32_t, 5> special{0x7FC00000u, 0x7F800000u, 0xFF800000u, 0x7F7FFFFFu,
                                                                   0x00000001u};
                    const std::uint32_t word =
                        below(2) == 0 ? special[below(special.size())] : static_cast<std::uint32_t>(m_random.next());
                    overwrite(position(4), word, 4);
                });
                break;
            case 2:
                repeat(30, [this] {
                    constexpr std::array<std::uint32_t, 2> special{0x0000u, 0xFFFFu};
                    const std::uint32_t word = below(2) == 0 ? special[below(special.size())]
                                                             : static_cast<std::uint32_t>(m_random.next() & 0xFFFFu);
                    overwrite(position(2), word, 2);
                });
                break;
            case 3:
                m_bytes.resize(below(m_bytes.size()));
                break;
            default: {
                const Bytes original = m_bytes;
                const std::size_t length = 1 + below(2000);
                const std::size_t from = below(original.size());
                const std::size_t to = below(original.size());
                const std::size_t copied = std::min({length, original.size() - from, original.size() - to});
                std::copy_n(original.begin() + static_cast<std::ptrdiff_t>(from), copied,
                            m_bytes.begin() + static_cast<std::ptrdiff_t>(to));
            }
        }
    }

private:
    std::size_t below(std::size_t bound) { return bound == 0 ? 0 : static_cast<std::size_t>(m_random.next() % bound); }

    // Where a word of the given width starts, wholly inside the file.
    std::size_t position(std::size_t width) { return below(m_bytes.size() - width + 1); }

    template <typename Change>
    void repeat(std::size_t most, Change change)
    {
        for (std::size_t i = 1 + below(most); i > 0; --i) {
            change();
        }
    }

    void overwrite(std::size_t at, std::uint32_t word, std::size_t width)
    {
        for (std::size_t i = 0; i < width; ++i) {
            m_bytes[at + i] = static_cast<unsigned char>(word >> (8 * i));
        }
    }

    Bytes& m_bytes;
    SplitMix64 m_random;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: lumora_mutate_model INPUT OUTPUT SEED\n";
        return 2;
    }
    std::ifstream input(argv[1], std::ios::binary);
    Bytes bytes{std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>()};
    if (!input.is_open() || bytes.size() < 4) {
        std::cerr << "lumora_mutate_model: can not read a model from " << argv[1] << "\n";
        return 1;
    }
    Damage(bytes, std::strtoull(argv[3], nullptr, 10)).apply();
    if (!writeFileBytes(argv[2], bytes)) {
        std::cerr << "lumora_mutate_model: can not write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
