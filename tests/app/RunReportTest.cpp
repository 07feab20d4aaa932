#include "app/RunSequence.h"

#include "tests/support/CoutCapture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>

namespace {

struct Report {
    int exitCode;
    std::string output;
    int nextKey;  // what standard input holds after the wait for a key
};

// Runs the job with "xy" waiting on standard input, so the report shows how many keys the
// wait took.
Report runWithTwoKeysWaiting(const std::function<void()>& job)
{
    const TempDir folder;
    const std::string keys = folder.write("keys", "xy").string();
    if (std::freopen(keys.c_str(), "r", stdin) == nullptr) {
        throw std::runtime_error("cannot read " + keys);
    }
    Report report{};
    {
        const CoutCapture capture;
        report.exitCode = runReported(job);
        report.output = capture.text();
    }
    report.nextKey = std::getchar();
    return report;
}

const std::string waitLine = "Press any key to continue.\n";

}  // namespace

TEST(RunReport, CompleteJobSucceeds)
{
    const Report report = runWithTwoKeysWaiting([] {});
    EXPECT_EQ(report.output, "Success.\n" + waitLine);
    EXPECT_EQ(report.exitCode, 0);
    EXPECT_EQ(report.nextKey, 'y');
}

TEST(RunReport, EachKindOfFailureHasItsOwnLine)
{
    const auto expectFailure = [](const std::function<void()>& job, const std::string& errorLine) {
        const Report report = runWithTwoKeysWaiting(job);
        EXPECT_EQ(report.output, errorLine + "\n" + waitLine);
        EXPECT_EQ(report.exitCode, 1);
        EXPECT_EQ(report.nextKey, 'y');
    };
    expectFailure([] { throw std::string("The model is gone."); }, "Error. The model is gone.");
    expectFailure([] { throw std::bad_alloc(); }, "Error. Unexpected exception. Message: std::bad_alloc");
    expectFailure([] { throw 42; }, "Fatal error. Unhandled exception.");
}
