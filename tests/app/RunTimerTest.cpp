#include "app/RunTimer.h"

#include "tests/support/CoutCapture.h"
#include "tracer/RenderLoop.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <limits>
#include <string>

namespace {

// Clocks that read whatever the test last set.
struct ManualClocks {
    std::int32_t milliseconds = 0;
    std::int64_t calendarSeconds = 0;

    RunClocks clocks()
    {
        return {[this] { return milliseconds; }, [this] { return calendarSeconds; }};
    }
};

// Restores std::cout's number format, which report() leaves set on purpose.
class RunTimerTest : public testing::Test {
protected:
    ~RunTimerTest() override
    {
        std::cout.flags(m_flags);
        std::cout.precision(m_precision);
    }

    // The number printed by report(), after the clocks have moved on by the given amounts.
    std::string reportedNumber(std::int32_t startMilliseconds, std::int32_t endMilliseconds, std::int64_t startSeconds,
                               std::int64_t endSeconds)
    {
        ManualClocks manual{startMilliseconds, startSeconds};
        const RunTimer timer(manual.clocks());
        manual.milliseconds = endMilliseconds;
        manual.calendarSeconds = endSeconds;
        const CoutCapture capture;
        timer.report();
        const std::string line = capture.text();
        const auto open = line.find('[');
        const auto close = line.find(']');
        if (open == std::string::npos || close == std::string::npos || close < open) {
            return "unparsable line: " + line;
        }
        return line.substr(open + 1, close - open - 1);
    }

private:
    std::ios::fmtflags m_flags = std::cout.flags();
    std::streamsize m_precision = std::cout.precision();
};

TEST_F(RunTimerTest, ShortRunsAreReportedInMilliseconds)
{
    EXPECT_EQ(reportedNumber(5000, 6234, 100, 101), "1.234");
    EXPECT_EQ(reportedNumber(0, 12345, 0, 12), "12.345");
    EXPECT_EQ(reportedNumber(77, 77, 500, 500), "0.000");
    // Just below an hour by the calendar the millisecond counter still decides.
    EXPECT_EQ(reportedNumber(0, 3599999, 0, 3599), "3599.999");
}

TEST_F(RunTimerTest, RunsOfAnHourOrMoreAreReportedInWholeCalendarSeconds)
{
    EXPECT_EQ(reportedNumber(0, 5, 1000, 4600), "3600.000");
    EXPECT_EQ(reportedNumber(0, 3600999, 0, 3600), "3600.000");
    EXPECT_EQ(reportedNumber(0, 0, -20, 7180), "7200.000");
}

TEST_F(RunTimerTest, CalendarClockGoingBackwardsFallsBackToMilliseconds)
{
    EXPECT_EQ(reportedNumber(1000, 3500, 1000000, 999000), "2.500");
    EXPECT_EQ(reportedNumber(1000, 3500, 0, std::numeric_limits<std::int64_t>::min()), "2.500");
}

TEST_F(RunTimerTest, MillisecondCounterWrappingPastItsMaximumGivesTheTrueInterval)
{
    constexpr std::int32_t maximum = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t minimum = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(reportedNumber(maximum - 500, minimum + 733, 0, 1), "1.234");
    EXPECT_EQ(reportedNumber(maximum, minimum, 0, 0), "0.001");
}

TEST_F(RunTimerTest, LineHoldsTheBannerAndEndsWithAPlainNewline)
{
    ManualClocks manual{100, 0};
    const RunTimer timer(manual.clocks());
    manual.milliseconds = 100 + 42;
    const CoutCapture capture;
    timer.report();
    EXPECT_EQ(capture.text(), std::string(renderLoopBanner()) + " : Time [0.042] seconds\n");
    // The fixed three-decimal format stays on the stream for whatever is printed next.
    EXPECT_TRUE((std::cout.flags() & std::ios::fixed) != 0);
    EXPECT_EQ(std::cout.precision(), 3);
}

TEST_F(RunTimerTest, EveryReportMeasuresFromTheStart)
{
    ManualClocks manual{0, 0};
    const RunTimer timer(manual.clocks());
    const CoutCapture capture;
    manual.milliseconds = 1500;
    timer.report();
    manual.milliseconds = 2750;
    timer.report();
    const std::string banner(renderLoopBanner());
    EXPECT_EQ(capture.text(), banner + " : Time [1.500] seconds\n" + banner + " : Time [2.750] seconds\n");
}

TEST_F(RunTimerTest, SystemClocksMeasureElapsedTime)
{
    const RunClocks clocks = systemRunClocks();
    const std::int64_t seconds = clocks.calendarSeconds();
    // Some time after 2020-01-01, whatever the machine's clock says exactly.
    EXPECT_GT(seconds, 1577836800);
    const std::int32_t first = clocks.milliseconds();
    const std::int32_t second = clocks.milliseconds();
    const auto forward =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(second) - static_cast<std::uint32_t>(first));
    EXPECT_GE(forward, 0);
}

}  // namespace
