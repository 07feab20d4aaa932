#include "tests/tracer/PaintedStackThread.h"
#include "tracer/StackHeadroom.h"

#include <gtest/gtest.h>

TEST(StackHeadroom, MeasuresTheCallingThreadsOwnStack)
{
    constexpr std::size_t stackSize = 512 * 1024;
    std::size_t headroom = 0;
    const std::size_t touched = runOnPaintedStack(stackSize, [&headroom] { headroom = currentThreadStackHeadroom(); });
    // What lies above the measuring frame counts in whole 64 KiB steps, so that the answer does
    // not move with the few kilobytes that address-space randomisation shifts a stack by.
    EXPECT_LT(touched, 32u * 1024u);
    EXPECT_EQ(headroom, stackSize - 64u * 1024u);

    EXPECT_GT(currentThreadStackHeadroom(), 0u);
}
