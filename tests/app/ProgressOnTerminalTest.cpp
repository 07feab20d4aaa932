#include "tests/app/BoxModel.h"
#include "tests/app/JobFolder.h"
#include "tests/app/LumoraPrograms.h"
#include "tests/support/SettingsFile.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using testing::ElementsAreArray;

struct TerminalRun {
    int exitCode = -1;
    std::string output;    // standard output, a pipe
    std::string terminal;  // what reached the pseudo-terminal, which is standard error
};

// Runs the program with standard error on a pseudo-terminal, standard output on a pipe and
// standard input from the null device.
TerminalRun runWithErrorOnTerminal(const std::filesystem::path& program, const std::filesystem::path& folder,
                                   const std::vector<std::string>& arguments)
{
    std::array<int, 2> output{};
    if (pipe2(output.data(), O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe2 failed";
        return {};
    }
    std::vector<std::string> texts{program.string()};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    const std::string directory = folder.string();

    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        const int input = open("/dev/null", O_RDONLY);
        if (chdir(directory.c_str()) != 0 || input < 0 || dup2(input, STDIN_FILENO) < 0 ||
            dup2(output[1], STDOUT_FILENO) < 0) {
            _exit(126);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(output[1]);
    TerminalRun run;
    if (pid < 0) {
        close(output[0]);
        ADD_FAILURE() << "forkpty failed";
        return run;
    }
    // The terminal reports EIO once the program and its children have closed it.
    std::array<pollfd, 2> fds{pollfd{output[0], POLLIN, 0}, pollfd{terminal, POLLIN, 0}};
    std::array<std::string*, 2> streams{&run.output, &run.terminal};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (poll(fds.data(), fds.size(), 120'000) <= 0) {
            ADD_FAILURE() << "no output for two minutes";
            break;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
                continue;
            }
            std::array<char, 4096> buffer{};
            const ssize_t count = read(fds[i].fd, buffer.data(), buffer.size());
            if (count > 0) {
                streams[i]->append(buffer.data(), static_cast<std::size_t>(count));
            } else if (count == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
    }
    for (const pollfd& fd : fds) {
        if (fd.fd >= 0) {
            close(fd.fd);
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class ProgressOnTerminalTest : public testing::TestWithParam<LumoraProgram> {
protected:
    ProgressOnTerminalTest()
    {
        m_folder.writeModel(boxModelFile());
        SettingsValues values;
        values.width = "16";
        values.height = "12";
        m_folder.writeSettings(settingsXml(values));
    }

    std::vector<testing::Matcher<std::string>> successLines() const
    {
        return completeRunLines(modelCountLines(1, 1, 0), GetParam().banner);
    }

    JobFolder m_folder;
};

TEST_P(ProgressOnTerminalTest, ProgressLineIsDrawnAndErasedOnTheTerminalOnly)
{
    const TerminalRun run = runWithErrorOnTerminal(GetParam().path, m_folder.path(), {});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(outputLines(run.output), ElementsAreArray(successLines()));
    // Drawn from the start of the line, redrawn in place any number of times, then covered
    // with blanks, the cursor left at the start of the line.
    EXPECT_THAT(run.terminal, testing::MatchesRegex("\r(Rendering: [0-9]+ of 12 rows, [0-9]+:[0-9]{2} elapsed[^\r]*\r)+"
                                                    " +\r"));
    EXPECT_THAT(run.terminal, testing::StartsWith("\rRendering: 0 of 12 rows, 0:00 elapsed"));
    EXPECT_EQ(run.terminal.find('\n'), std::string::npos);
}

TEST_P(ProgressOnTerminalTest, QuietLeavesTheTerminalAlone)
{
    const TerminalRun run = runWithErrorOnTerminal(GetParam().path, m_folder.path(), {"--quiet"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(outputLines(run.output), ElementsAreArray(successLines()));
    EXPECT_EQ(run.terminal, "");
}

TEST_P(ProgressOnTerminalTest, NoProgressOnAPipe)
{
    const ProgramResult result = m_folder.run(GetParam().path);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_THAT(outputLines(result.output), ElementsAreArray(successLines()));
    EXPECT_EQ(result.errorOutput, "");
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, ProgressOnTerminalTest, testing::ValuesIn(lumoraPrograms()), programTestName);

}  // namespace
