#include "tests/app/ProgramProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace {

// Far beyond any run of the tests' tiny pictures, even in a sanitizer build.
constexpr std::chrono::minutes runDeadline{5};

// The test's environment with the given variables replaced or added.
std::vector<std::string> programEnvironment(const std::vector<std::pair<std::string, std::string>>& overrides)
{
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        const bool overridden = std::any_of(overrides.begin(), overrides.end(), [&](const auto& variable) {
            return text.starts_with(variable.first + "=");
        });
        if (!overridden) {
            result.emplace_back(text);
        }
    }
    for (const auto& [name, value] : overrides) {
        result.push_back(name + "=" + value);
    }
    return result;
}

std::vector<char*> nullTerminated(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

std::array<int, 2> makePipe()
{
    std::array<int, 2> ends{};
    if (pipe2(ends.data(), O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("pipe2 failed: ") + std::strerror(errno));
    }
    return ends;
}

// The reading end is the terminal's master side, the writing end its slave side.
std::array<int, 2> makeTerminal()
{
    std::array<int, 2> ends{};
    if (openpty(&ends[0], &ends[1], nullptr, nullptr, nullptr) != 0) {
        throw std::runtime_error(std::string("openpty failed: ") + std::strerror(errno));
    }
    for (int fd : ends) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    return ends;
}

void closeFd(int& fd)
{
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

int decodeStatus(int status)
{
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return -1;
}

// Only async-signal-safe calls between fork and exec.
[[noreturn]] void startChild(const char* directory, int inputFd, int outputFd, int errorFd, char** argv, char** envp)
{
    if (inputFd < 0) {
        inputFd = open("/dev/null", O_RDONLY);
    }
    if (chdir(directory) != 0 || inputFd < 0 || dup2(inputFd, STDIN_FILENO) < 0 || dup2(outputFd, STDOUT_FILENO) < 0 ||
        dup2(errorFd, STDERR_FILENO) < 0) {
        _exit(126);
    }
    execve(argv[0], argv, envp);
    _exit(127);
}

}  // namespace

ProgramProcess::ProgramProcess(const std::filesystem::path& program, const ProgramOptions& options)
{
    // A program that ends before reading its input must not kill the test with SIGPIPE.
    signal(SIGPIPE, SIG_IGN);

    std::vector<std::string> arguments{program.string()};
    arguments.insert(arguments.end(), options.arguments.begin(), options.arguments.end());
    std::vector<std::string> environment = programEnvironment(options.environment);
    std::vector<char*> argv = nullTerminated(arguments);
    std::vector<char*> envp = nullTerminated(environment);
    const std::string directory = options.workingDirectory.string();

    std::array<int, 2> input{-1, -1};
    if (options.inputFromPipe) {
        input = makePipe();
    }
    const std::array<int, 2> output = makePipe();
    const std::array<int, 2> error = options.errorToTerminal ? makeTerminal() : makePipe();

    m_pid = fork();
    if (m_pid == 0) {
        startChild(directory.c_str(), input[0], output[1], error[1], argv.data(), envp.data());
    }
    for (int fd : {input[0], output[1], error[1]}) {
        if (fd >= 0) {
            close(fd);
        }
    }
    m_inputFd = input[1];
    m_outputFd = output[0];
    m_errorFd = error[0];
    if (m_pid < 0) {
        closeInput();
        closeFd(m_outputFd);
        closeFd(m_errorFd);
        throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
    }
    m_deadline = std::chrono::steady_clock::now() + runDeadline;
}

ProgramProcess::~ProgramProcess()
{
    closeInput();
    closeFd(m_outputFd);
    closeFd(m_errorFd);
    stop();
}

bool ProgramProcess::readSome()
{
    if (m_outputFd < 0 && m_errorFd < 0) {
        return false;
    }
    using std::chrono::steady_clock;
    const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - steady_clock::now());
    if (remaining.count() <= 0) {
        m_timedOut = true;
        return false;
    }
    // A closed descriptor (-1) is skipped by poll.
    std::array<pollfd, 2> fds{pollfd{m_outputFd, POLLIN, 0}, pollfd{m_errorFd, POLLIN, 0}};
    if (poll(fds.data(), fds.size(), static_cast<int>(remaining.count())) < 0 && errno != EINTR) {
        return false;
    }
    const std::array<std::pair<int*, std::string*>, 2> streams{std::pair{&m_outputFd, &m_result.output},
                                                               std::pair{&m_errorFd, &m_result.errorOutput}};
    for (std::size_t i = 0; i < streams.size(); ++i) {
        if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
            continue;
        }
        std::array<char, 4096> buffer{};
        const ssize_t count = read(*streams[i].first, buffer.data(), buffer.size());
        if (count > 0) {
            streams[i].second->append(buffer.data(), static_cast<std::size_t>(count));
        } else if (count == 0 || errno != EINTR) {
            // A terminal's master side reports EIO once the program has closed the slave side.
            closeFd(*streams[i].first);
        }
    }
    return true;
}

bool ProgramProcess::waitForOutput(std::string_view text)
{
    while (m_result.output.find(text) == std::string::npos) {
        if (!readSome()) {
            return false;
        }
    }
    return true;
}

bool ProgramProcess::hasExited()
{
    if (!m_exitCode && m_pid > 0) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_exitCode = decodeStatus(status);
        }
    }
    return m_exitCode.has_value();
}

void ProgramProcess::writeInput(std::string_view text)
{
    if (m_inputFd >= 0 && write(m_inputFd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        closeInput();
    }
}

void ProgramProcess::closeInput() { closeFd(m_inputFd); }

ProgramResult ProgramProcess::finish()
{
    closeInput();
    while (readSome()) {
    }
    if (m_timedOut) {
        stop();
        m_result.exitCode = -1;
        return m_result;
    }
    if (!m_exitCode && m_pid > 0) {
        int status = 0;
        if (waitpid(m_pid, &status, 0) == m_pid) {
            m_exitCode = decodeStatus(status);
        }
    }
    m_result.exitCode = m_exitCode.value_or(-1);
    return m_result;
}

void ProgramProcess::stop()
{
    if (m_pid > 0 && !hasExited()) {
        kill(m_pid, SIGKILL);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_exitCode = -1;
    }
}

ProgramResult runProgram(const std::filesystem::path& program, const ProgramOptions& options)
{
    ProgramProcess process(program, options);
    return process.finish();
}
