#include "tests/tracer/PaintedStackThread.h"
#include "tracer/StackHeadroom.h"

#include <gtest/gtest.h>

TEST(StackHeadroom, MeasuresTheCallingThreadsOwnStack)
{
    constexpr std::size_t stackSize = 512 * 1024;
    std::size_t headroom = 0;
    const std::size_t touched = runOnPaintedStack(stackSize, [&headroom] { headroom = currentThreadStackHeadroom(); });
    // Everything above the measuring frame was used by the thread's start and the test itself.
    EXPECT_LT(headroom, stackSize);
    EXPECT_GE(headroom + touched, stackSize);
    EXPECT_LT(touched, 32u * 1024u);

    EXPECT_GT(currentThreadStackHeadroom(), 0u);
}
