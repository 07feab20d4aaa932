#include "tests/app/BoxModel.h"
#include "tests/app/JobFolder.h"
#include "tests/app/LumoraPrograms.h"
#include "tests/support/SettingsFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing::ElementsAreArray;

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

    // Standard error on a pseudo-terminal, standard output on a pipe.
    ProgramResult runWithErrorOnTerminal(const std::vector<std::string>& arguments) const
    {
        ProgramOptions options;
        options.arguments = arguments;
        options.errorToTerminal = true;
        return m_folder.run(GetParam().path, options);
    }

    JobFolder m_folder;
};

TEST_P(ProgressOnTerminalTest, ProgressLineIsDrawnAndErasedOnTheTerminalOnly)
{
    const ProgramResult run = runWithErrorOnTerminal({});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(outputLines(run.output), ElementsAreArray(successLines()));
    // Drawn from the start of the line, redrawn in place any number of times, then covered
    // with blanks, the cursor left at the start of the line.
    EXPECT_THAT(run.errorOutput,
                testing::MatchesRegex("\r(Rendering: [0-9]+ of 12 rows, [0-9]+:[0-9]{2} elapsed[^\r]*\r)+"
                                      " +\r"));
    EXPECT_THAT(run.errorOutput, testing::StartsWith("\rRendering: 0 of 12 rows, 0:00 elapsed"));
    EXPECT_EQ(run.errorOutput.find('\n'), std::string::npos);
}

TEST_P(ProgressOnTerminalTest, QuietLeavesTheTerminalAlone)
{
    const ProgramResult run = runWithErrorOnTerminal({"--quiet"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(outputLines(run.output), ElementsAreArray(successLines()));
    EXPECT_EQ(run.errorOutput, "");
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
