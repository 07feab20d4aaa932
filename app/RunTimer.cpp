#include "app/RunTimer.h"

#include "tracer/RenderLoop.h"

#include <chrono>
#include <iomanip>
#include <iostream>
#include <type_traits>
#include <utility>

namespace {

// Runs this long or longer by the calendar are reported in whole calendar seconds; shorter
// ones with millisecond resolution, well inside the 24 days a 32-bit tick difference spans.
constexpr std::int64_t longRunSeconds = 3600;
constexpr double millisecondsPerSecond = 1000.0;

// later - earlier, wrapping around like the hardware instead of overflowing: the difference
// of two readings of a counter that may have wrapped in between.
template <typename Signed>
Signed wrappingDifference(Signed later, Signed earlier)
{
    using Unsigned = std::make_unsigned_t<Signed>;
    return static_cast<Signed>(static_cast<Unsigned>(later) - static_cast<Unsigned>(earlier));
}

}  // namespace

RunClocks systemRunClocks()
{
    return {
        [] {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            // Keeps the low 32 bits: the counter wraps, and only differences are used.
            return static_cast<std::int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
        },
        [] {
            const auto now = std::chrono::system_clock::now().time_since_epoch();
            return static_cast<std::int64_t>(std::chrono::duration_cast<std::chrono::seconds>(now).count());
        },
    };
}

RunTimer::RunTimer() : RunTimer(systemRunClocks()) {}

RunTimer::RunTimer(RunClocks clocks)
    : m_clocks(std::move(clocks)),
      m_running(true),
      m_startClock(m_clocks.milliseconds()),
      m_startTime(m_clocks.calendarSeconds()),
      m_accumulated(0.0)
{
}

double RunTimer::elapsedSeconds() const
{
    if (!m_running) {
        return 0.0;
    }
    const std::int64_t calendarSeconds = wrappingDifference(m_clocks.calendarSeconds(), m_startTime);
    if (calendarSeconds >= longRunSeconds) {
        return static_cast<double>(calendarSeconds);
    }
    // Also taken when the calendar clock went backwards.
    const std::int32_t ticks = wrappingDifference(m_clocks.milliseconds(), m_startClock);
    return static_cast<double>(ticks) / millisecondsPerSecond;
}

void RunTimer::report() const
{
    std::cout << renderLoopBanner() << " : ";
    const double seconds = m_accumulated + elapsedSeconds();
    std::cout << "Time [" << std::setiosflags(std::ios::fixed) << std::setprecision(3) << seconds << "] seconds\n";
}
