#pragma once

#include <cstdint>
#include <functional>

// The two clocks a RunTimer reads: a monotonic millisecond counter that may wrap around
// (only differences are used), and calendar time in whole seconds.
struct RunClocks {
    std::function<std::int32_t()> milliseconds;
    std::function<std::int64_t()> calendarSeconds;
};

// The monotonic wall clock (std::chrono::steady_clock) and the system calendar clock.
RunClocks systemRunClocks();

// Times the render and the save, and reports the elapsed time with the render loop's banner.
// Runs from construction on; report() can be called any number of times.
class RunTimer {
public:
    RunTimer();
    explicit RunTimer(RunClocks clocks);

    // Prints "<banner> : Time [<seconds>] seconds\n" without flushing. std::cout stays in
    // fixed notation with three decimals afterwards.
    void report() const;

private:
    double elapsedSeconds() const;

    RunClocks m_clocks;
    bool m_running;
    std::int32_t m_startClock;  // milliseconds
    std::int64_t m_startTime;   // calendar seconds
    double m_accumulated;       // seconds added to the measured interval
};
