#include "app/KeyWait.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstring>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Both ends of a pseudo-terminal, closed at the end of the test.
class PseudoTerminal {
public:
    PseudoTerminal()
    {
        if (openpty(&m_controller, &m_terminal, nullptr, nullptr, nullptr) != 0) {
            throw std::runtime_error(std::string("openpty failed: ") + std::strerror(errno));
        }
    }
    ~PseudoTerminal()
    {
        close(m_controller);
        close(m_terminal);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int controller() const { return m_controller; }
    int terminal() const { return m_terminal; }

    termios settings() const
    {
        termios current{};
        tcgetattr(m_terminal, &current);
        return current;
    }

    // True once the terminal has left line mode, that is once the wait has begun.
    bool waitUntilKeyAtATime() const
    {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while ((settings().c_lflag & ICANON) != 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }

    // What the terminal sent back to the keyboard's side, for instance an echo.
    std::string pendingOutput() const
    {
        std::string text;
        pollfd pending{m_controller, POLLIN, 0};
        while (poll(&pending, 1, 100) > 0 && (pending.revents & POLLIN) != 0) {
            std::array<char, 64> buffer{};
            const ssize_t count = read(m_controller, buffer.data(), buffer.size());
            if (count <= 0) {
                break;
            }
            text.append(buffer.data(), static_cast<std::size_t>(count));
        }
        return text;
    }

private:
    int m_controller = -1;
    int m_terminal = -1;
};

void expectSameSettings(const termios& expected, const termios& actual)
{
    EXPECT_EQ(actual.c_iflag, expected.c_iflag);
    EXPECT_EQ(actual.c_oflag, expected.c_oflag);
    EXPECT_EQ(actual.c_cflag, expected.c_cflag);
    EXPECT_EQ(actual.c_lflag, expected.c_lflag);
    EXPECT_EQ(0, std::memcmp(actual.c_cc, expected.c_cc, sizeof expected.c_cc));
}

TEST(KeyWait, OneKeyWithoutEnterEndsTheWaitOnATerminalUnechoedAndTheSettingsComeBack)
{
    const PseudoTerminal pty;
    const termios before = pty.settings();
    ASSERT_NE(before.c_lflag & ICANON, 0u);
    ASSERT_NE(before.c_lflag & ECHO, 0u);

    std::future<void> waiting = std::async(std::launch::async, [&] { waitForOneKey(pty.terminal()); });
    ASSERT_TRUE(pty.waitUntilKeyAtATime());
    EXPECT_EQ(pty.settings().c_lflag & ECHO, 0u);
    ASSERT_EQ(write(pty.controller(), "x", 1), 1);
    if (waiting.wait_for(10s) != std::future_status::ready) {
        // Ends the read, so that the test fails instead of hanging.
        ASSERT_EQ(write(pty.controller(), "\n", 1), 1);
        FAIL() << "the wait did not end on a single x";
    }
    EXPECT_EQ(pty.pendingOutput(), "");
    expectSameSettings(before, pty.settings());
}

TEST(KeyWait, InterruptDuringTheWaitEndsTheProgramWithTheTerminalRestored)
{
    const PseudoTerminal pty;
    const termios before = pty.settings();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        waitForOneKey(pty.terminal());
        _exit(0);
    }
    const bool waitBegan = pty.waitUntilKeyAtATime();
    kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(waitBegan);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGINT);
    expectSameSettings(before, pty.settings());
}

TEST(KeyWait, APipeGivesOneCharacterOrItsEnd)
{
    std::array<int, 2> ends{};
    ASSERT_EQ(pipe(ends.data()), 0);
    ASSERT_EQ(write(ends[1], "xy", 2), 2);
    std::future<void> waiting = std::async(std::launch::async, [&] { waitForOneKey(ends[0]); });
    ASSERT_EQ(waiting.wait_for(10s), std::future_status::ready);
    // Exactly one character was taken.
    char rest = 0;
    EXPECT_EQ(read(ends[0], &rest, 1), 1);
    EXPECT_EQ(rest, 'y');

    close(ends[1]);
    waiting = std::async(std::launch::async, [&] { waitForOneKey(ends[0]); });
    EXPECT_EQ(waiting.wait_for(10s), std::future_status::ready);
    close(ends[0]);
}

}  // namespace
