#pragma once

#include <chrono>

// Two measured pieces of work run one after the other, each going first in every other turn, so
// that neither always meets the caches as the other left them, and the machine's drift meets
// both alike. Each adds the seconds it took to its own total.
class InTurns {
public:
    template <typename First, typename Second>
    void run(First first, double& firstSeconds, Second second, double& secondSeconds)
    {
        if (m_firstGoesFirst) {
            firstSeconds += secondsFor(first);
            secondSeconds += secondsFor(second);
        } else {
            secondSeconds += secondsFor(second);
            firstSeconds += secondsFor(first);
        }
        m_firstGoesFirst = !m_firstGoesFirst;
    }

private:
    template <typename Work>
    static double secondsFor(Work work)
    {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    bool m_firstGoesFirst = true;
};
