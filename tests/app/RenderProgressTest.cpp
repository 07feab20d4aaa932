#include "app/RenderProgress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>

namespace {

using std::chrono::milliseconds;

TEST(RenderProgress, TextTellsRowsElapsedAndTimeLeft)
{
    EXPECT_EQ(progressText(0, 480, milliseconds(0)), "Rendering: 0 of 480 rows, 0:00 elapsed");
    // 12 s for a quarter of the rows: 36 s for the other three quarters.
    EXPECT_EQ(progressText(120, 480, milliseconds(12'000)),
              "Rendering: 120 of 480 rows, 0:12 elapsed, about 0:36 left");
    EXPECT_EQ(progressText(1, 3, milliseconds(59'999)), "Rendering: 1 of 3 rows, 0:59 elapsed, about 2:00 left");
    EXPECT_EQ(progressText(1, 2, milliseconds(3'723'000)),
              "Rendering: 1 of 2 rows, 1:02:03 elapsed, about 1:02:03 left");
    EXPECT_EQ(progressText(7, 7, milliseconds(500)), "Rendering: 7 of 7 rows, 0:00 elapsed, about 0:00 left");
    // Counts near the top of the range neither overflow nor go negative.
    EXPECT_EQ(progressText(1, 4294967295u, milliseconds(1000)),
              "Rendering: 1 of 4294967295 rows, 0:01 elapsed, about 1193046:28:14 left");
}

class ProgressLineTest : public testing::Test {
protected:
    ProgressLine::Clock clock()
    {
        return [this] { return std::chrono::steady_clock::time_point(m_now); };
    }

    milliseconds m_now{5'000};
    std::ostringstream m_terminal;
};

TEST_F(ProgressLineTest, RedrawsAtMostTenTimesASecondAndErasesItself)
{
    {
        ProgressLine line(m_terminal, 10, clock());
        EXPECT_EQ(m_terminal.str(), "\rRendering: 0 of 10 rows, 0:00 elapsed");
        m_now += milliseconds(99);
        line.rowsDone(1);
        EXPECT_EQ(m_terminal.str(), "\rRendering: 0 of 10 rows, 0:00 elapsed");
        m_now += milliseconds(1);
        line.rowsDone(2);
        m_now += milliseconds(50);
        line.rowsDone(3);
        m_terminal.str("");
        m_now += milliseconds(1'900);
        line.rowsDone(9);
        EXPECT_EQ(m_terminal.str(), "\rRendering: 9 of 10 rows, 0:02 elapsed, about 0:00 left");
        m_terminal.str("");
    }
    // Blanks over the longest text shown, and the cursor back at the start of the line.
    const std::string longest = "Rendering: 9 of 10 rows, 0:02 elapsed, about 0:00 left";
    EXPECT_EQ(m_terminal.str(), "\r" + std::string(longest.size(), ' ') + "\r");
}

TEST_F(ProgressLineTest, ShorterTextCoversTheRestOfTheLongerOne)
{
    ProgressLine line(m_terminal, 3602, clock());
    m_now += milliseconds(1'000);
    line.rowsDone(1);
    EXPECT_EQ(m_terminal.str().substr(m_terminal.str().rfind('\r')),
              "\rRendering: 1 of 3602 rows, 0:01 elapsed, about 1:00:01 left");
    m_terminal.str("");
    m_now += milliseconds(200);
    line.rowsDone(2);
    EXPECT_EQ(m_terminal.str(), "\rRendering: 2 of 3602 rows, 0:01 elapsed, about 36:00 left  ");
}

}  // namespace
