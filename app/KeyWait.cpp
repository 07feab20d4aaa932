#include "app/KeyWait.h"

#include <termios.h>

#include <array>
#include <cerrno>
#include <csignal>

namespace {

// What the signal handler needs to put the terminal back: written before the handlers are
// installed, read only by them.
int waitingDescriptor = -1;
termios savedSettings{};

constexpr std::array<int, 4> endingSignals{SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Runs when a signal that ends the program arrives during the wait: restores the terminal,
// then lets the signal end the program as it would have (tcsetattr is async-signal-safe).
void restoreTerminalAndEnd(int signalNumber)
{
    tcsetattr(waitingDescriptor, TCSANOW, &savedSettings);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void readOneCharacter(int descriptor)
{
    char key = 0;
    while (read(descriptor, &key, 1) < 0 && errno == EINTR) {
    }
}

}  // namespace

void waitForOneKey(int descriptor)
{
    termios settings{};
    if (!isatty(descriptor) || tcgetattr(descriptor, &settings) != 0) {
        readOneCharacter(descriptor);
        return;
    }
    waitingDescriptor = descriptor;
    savedSettings = settings;

    // Only signals that would end the program by default; one ignored or handled by whoever
    // started us stays as it is.
    std::array<struct sigaction, endingSignals.size()> previous{};
    struct sigaction restoring {};
    restoring.sa_handler = restoreTerminalAndEnd;
    sigemptyset(&restoring.sa_mask);
    for (std::size_t i = 0; i < endingSignals.size(); ++i) {
        sigaction(endingSignals[i], nullptr, &previous[i]);
        if (previous[i].sa_handler == SIG_DFL) {
            sigaction(endingSignals[i], &restoring, nullptr);
        }
    }

    // Signals stay on, so Ctrl-C still interrupts the wait.
    termios keyAtATime = settings;
    keyAtATime.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    keyAtATime.c_cc[VMIN] = 1;
    keyAtATime.c_cc[VTIME] = 0;
    if (tcsetattr(descriptor, TCSANOW, &keyAtATime) == 0) {
        readOneCharacter(descriptor);
        // Drops the rest of a key that sends several bytes (an arrow or function key), which
        // would otherwise reach the shell after the program ends.
        tcsetattr(descriptor, TCSAFLUSH, &savedSettings);
    } else {
        readOneCharacter(descriptor);
    }

    for (std::size_t i = 0; i < endingSignals.size(); ++i) {
        sigaction(endingSignals[i], &previous[i], nullptr);
    }
}
