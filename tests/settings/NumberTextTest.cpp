#include "settings/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

// The parsed value, or the sentinel left in place when the text is refused.
template <typename Number>
Number parsedOr(const char* text, Number sentinel)
{
    Number value = sentinel;
    parseNumberText(text, value);
    return value;
}

}  // namespace

TEST(NumberText, FloatsFollowScanfSyntax)
{
    EXPECT_EQ(parsedOr("1.5", 0.0f), 1.5f);
    EXPECT_EQ(parsedOr(" \t1.5", 0.0f), 1.5f);
    EXPECT_EQ(parsedOr("1.5deg", 0.0f), 1.5f);
    EXPECT_EQ(parsedOr("1e-3", 0.0f), 0.001f);
    EXPECT_EQ(parsedOr("-2.25E+2", 0.0f), -225.0f);
    EXPECT_EQ(parsedOr("+.5", 0.0f), 0.5f);
    EXPECT_TRUE(std::isinf(parsedOr("inf", 0.0f)));
    EXPECT_TRUE(std::isnan(parsedOr("nan", 0.0f)));
}

TEST(NumberText, FloatsThatDoNotBeginWithANumberAreRefused)
{
    float value = 7.0f;
    EXPECT_FALSE(parseNumberText(nullptr, value));
    EXPECT_FALSE(parseNumberText("", value));
    EXPECT_FALSE(parseNumberText("   ", value));
    EXPECT_FALSE(parseNumberText("abc", value));
    EXPECT_FALSE(parseNumberText("deg1.5", value));
    EXPECT_FALSE(parseNumberText("-", value));
    EXPECT_EQ(value, 7.0f);
}

TEST(NumberText, UnsignedReadsDecimalDigitsOnly)
{
    EXPECT_EQ(parsedOr("640", 1u), 640u);
    EXPECT_EQ(parsedOr("  640px", 1u), 640u);
    EXPECT_EQ(parsedOr("+5", 1u), 5u);
    EXPECT_EQ(parsedOr("0010", 1u), 10u);
    // Not hexadecimal: the conversion stops at the x.
    EXPECT_EQ(parsedOr("0x10", 1u), 0u);
    EXPECT_EQ(parsedOr("2.9", 1u), 2u);
    EXPECT_EQ(parsedOr("4294967295", 1u), 4294967295u);
}

TEST(NumberText, UnsignedMinusWrapsModulo32Bits)
{
    EXPECT_EQ(parsedOr("-1", 1u), 4294967295u);
    EXPECT_EQ(parsedOr("-0", 1u), 0u);
    EXPECT_EQ(parsedOr("-4294967295", 0u), 1u);
}

TEST(NumberText, UnsignedRefusesNonNumbersAndValuesBeyond32Bits)
{
    std::uint32_t value = 7;
    EXPECT_FALSE(parseNumberText(nullptr, value));
    EXPECT_FALSE(parseNumberText("", value));
    EXPECT_FALSE(parseNumberText("abc", value));
    EXPECT_FALSE(parseNumberText("-", value));
    EXPECT_FALSE(parseNumberText("+-5", value));
    EXPECT_FALSE(parseNumberText(".5", value));
    EXPECT_FALSE(parseNumberText("4294967296", value));
    EXPECT_FALSE(parseNumberText("-4294967296", value));
    EXPECT_FALSE(parseNumberText("99999999999999999999999", value));
    EXPECT_EQ(value, 7u);
}
