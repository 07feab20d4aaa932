#include "model3ds/L3DS.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <vector>

namespace {

// Holds bytes as the buffer of a running load, so the reading primitives can be driven directly.
class Reader : public L3DS {
public:
    explicit Reader(const std::vector<std::uint8_t>& bytes)
    {
        m_buffer = std::make_unique<std::uint8_t[]>(bytes.size());
        std::memcpy(m_buffer.get(), bytes.data(), bytes.size());
        m_bufferSize = static_cast<std::uint32_t>(bytes.size());
    }
    using L3DS::m_readPos;
    using L3DS::readDword;
    using L3DS::readFloat;
    using L3DS::readString;
    using L3DS::readWord;
    using L3DS::seek;
};

std::vector<std::uint8_t> text(const char* letters) { return {letters, letters + std::strlen(letters) + 1}; }

TEST(L3DSChunkReader, ReadsLittleEndianUpToTheLastByteAndZeroBeyond)
{
    const std::uint32_t oneAndAHalf = std::bit_cast<std::uint32_t>(1.5f);
    Reader reader({0x34, 0x12, 0x78, 0x56, 0x34, 0x12, std::uint8_t(oneAndAHalf), std::uint8_t(oneAndAHalf >> 8),
                   std::uint8_t(oneAndAHalf >> 16), std::uint8_t(oneAndAHalf >> 24)});
    EXPECT_EQ(reader.readWord(), 0x1234);
    EXPECT_EQ(reader.readDword(), 0x12345678u);
    EXPECT_EQ(reader.readFloat(), 1.5f);
    EXPECT_EQ(reader.m_readPos, 10u);

    reader.seek(8);
    EXPECT_EQ(reader.readDword(), 0u);
    EXPECT_EQ(reader.m_readPos, 8u);
    EXPECT_EQ(reader.readWord(), oneAndAHalf >> 16);

    reader.seek(1000);
    EXPECT_EQ(reader.m_readPos, 9u);
}

TEST(L3DSChunkReader, StringsKeepAtMostMaxMinusOneCharacters)
{
    Reader longName(text("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    char name[20];
    EXPECT_EQ(longName.readString(name, 20), 19);
    EXPECT_STREQ(name, "ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(longName.m_readPos, 20u);  // just after the 20th letter

    Reader fits(text("ABCDEFGHIJKLMNOPQRS"));
    EXPECT_EQ(fits.readString(name, 20), 19);
    EXPECT_EQ(fits.m_readPos, 20u);  // the terminator is consumed

    Reader unterminated({'A', 'B'});
    EXPECT_EQ(unterminated.readString(name, 20), 2);
    EXPECT_STREQ(name, "AB");
}

}  // namespace
