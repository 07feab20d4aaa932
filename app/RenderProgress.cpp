#include "app/RenderProgress.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace {

constexpr std::chrono::milliseconds redrawInterval{100};

// "m:ss", or "h:mm:ss" from an hour on.
std::string clockText(std::chrono::seconds duration)
{
    const long long total = duration.count();
    const long long hours = total / 3600;
    const long long minutes = total / 60 % 60;
    const long long seconds = total % 60;
    char text[32];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", hours, minutes, seconds);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", minutes, seconds);
    }
    return text;
}

std::chrono::seconds roundedSeconds(double milliseconds)
{
    return std::chrono::seconds(static_cast<long long>(milliseconds / 1000.0 + 0.5));
}

}  // namespace

std::string progressText(std::uint32_t rowsDone, std::uint32_t rows, std::chrono::milliseconds elapsed)
{
    std::string text = "Rendering: " + std::to_string(rowsDone) + " of " + std::to_string(rows) + " rows, " +
                       clockText(std::chrono::duration_cast<std::chrono::seconds>(elapsed)) + " elapsed";
    if (rowsDone > 0) {
        // The rows done so far set the pace for the rest.
        const double left = static_cast<double>(elapsed.count()) * (rows - rowsDone) / rowsDone;
        text += ", about " + clockText(roundedSeconds(left)) + " left";
    }
    return text;
}

ProgressLine::ProgressLine(std::ostream& terminal, std::uint32_t rows, Clock clock)
    : m_terminal(terminal), m_rows(rows), m_clock(std::move(clock)), m_start(m_clock()), m_lastDrawn(m_start)
{
    show(progressText(0, m_rows, std::chrono::milliseconds(0)));
}

ProgressLine::~ProgressLine() { m_terminal << '\r' + std::string(m_shownLength, ' ') + '\r' << std::flush; }

void ProgressLine::rowsDone(std::uint32_t done)
{
    const auto now = m_clock();
    if (now - m_lastDrawn < redrawInterval) {
        return;
    }
    m_lastDrawn = now;
    show(progressText(done, m_rows, std::chrono::duration_cast<std::chrono::milliseconds>(now - m_start)));
}

void ProgressLine::show(const std::string& text)
{
    // Blanks cover whatever was left of a longer line before.
    const std::size_t padding = m_shownLength > text.size() ? m_shownLength - text.size() : 0;
    m_terminal << '\r' + text + std::string(padding, ' ') << std::flush;
    m_shownLength = text.size();
}

void renderShowingProgress(Renderer& renderer, bool progressWanted)
{
    if (!progressWanted || isatty(STDERR_FILENO) == 0) {
        renderer.render();
        return;
    }
    ProgressLine line(std::cerr, renderer.m_resolution.y);
    renderer.render([&line](std::uint32_t rowsDone) { line.rowsDone(rowsDone); });
}
