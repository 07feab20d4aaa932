#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct ProgramOptions {
    std::filesystem::path workingDirectory;
    std::vector<std::string> arguments;
    // Variables set for the program on top of the test's own environment.
    std::vector<std::pair<std::string, std::string>> environment;
    // Standard input: the null device, or a pipe that the test writes and closes.
    bool inputFromPipe = false;
    // Standard error on a pseudo-terminal instead of a pipe; what reaches it is the error output.
    bool errorToTerminal = false;
};

struct ProgramResult {
    // The exit code; 126 or 127 when the program could not be started, 128 + the signal
    // number when a signal ended it, and -1
    // when it had to be stopped because it did not finish in time.
    int exitCode = -1;
    std::string output;
    std::string errorOutput;
};

// One run of a program with its standard output and error captured. A program that does not
// finish within a generous deadline is killed, so a hang fails the test instead of stalling it.
class ProgramProcess {
public:
    ProgramProcess(const std::filesystem::path& program, const ProgramOptions& options);
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    // Reads the program's output until it holds the text; false when the program closed its
    // output (or ran out of time) first.
    bool waitForOutput(std::string_view text);
    // True when the program has ended; does not wait.
    bool hasExited();
    void writeInput(std::string_view text);
    // Closes standard input, reads both outputs to their end and waits for the exit.
    ProgramResult finish();

private:
    // Reads whatever is available; false when both outputs are closed or time is up.
    bool readSome();
    void closeInput();
    void stop();

    pid_t m_pid = -1;
    int m_inputFd = -1;
    int m_outputFd = -1;
    int m_errorFd = -1;
    std::optional<int> m_exitCode;
    bool m_timedOut = false;
    std::chrono::steady_clock::time_point m_deadline;
    ProgramResult m_result;
};

// Runs the program to its end with the given options.
ProgramResult runProgram(const std::filesystem::path& program, const ProgramOptions& options);
