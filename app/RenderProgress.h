#pragma once

#include "tracer/Renderer.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

// "Rendering: 120 of 480 rows, 0:12 elapsed, about 0:36 left". Before the first row is done
// there is nothing to estimate from, and the line ends after the elapsed time.
std::string progressText(std::uint32_t rowsDone, std::uint32_t rows, std::chrono::milliseconds elapsed);

// One line on a terminal that follows a render: drawn when it is made, redrawn in place at most
// ten times a second as rows are done, and erased when it is destroyed, so that whatever is
// printed next starts on a clean line.
class ProgressLine {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    ProgressLine(std::ostream& terminal, std::uint32_t rows, Clock clock = &std::chrono::steady_clock::now);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void rowsDone(std::uint32_t done);

private:
    void show(const std::string& text);

    std::ostream& m_terminal;
    std::uint32_t m_rows;
    Clock m_clock;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastDrawn;
    std::size_t m_shownLength = 0;
};

// Renders, with a progress line on standard error when progress is wanted and standard error
// is a terminal. The line never changes a pixel: it only watches the rows as they finish.
void renderShowingProgress(Renderer& renderer, bool progressWanted);
