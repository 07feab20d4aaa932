#pragma once

#include <gmock/gmock.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

// One of the two built programs, with the banner its timing line must carry.
struct LumoraProgram {
    std::string name;
    std::filesystem::path path;
    std::string banner;
};

// lumora (row-parallel render loop), then lumora_serial.
const std::vector<LumoraProgram>& lumoraPrograms();

// Names the instances of a test run once per program.
std::string programTestName(const testing::TestParamInfo<LumoraProgram>& info);

// The console output split at newlines. Output that does not end with a newline gets a
// last line saying so, so that a missing end of line shows up as a difference.
std::vector<std::string> outputLines(const std::string& output);

// The three lines that report the model's contents.
std::vector<std::string> modelCountLines(std::uint32_t meshes, std::uint32_t lights, std::uint32_t materials);

// The timing line of the given banner; its number varies from run to run.
testing::Matcher<std::string> timingLine(const std::string& banner);

// The whole console of a complete run: the model counts, the timing line, "Success." and
// the prompt for a key.
std::vector<testing::Matcher<std::string>> completeRunLines(const std::vector<std::string>& countLines,
                                                            const std::string& banner);

// The whole console of a run that stopped with the given error line after the model counts.
std::vector<testing::Matcher<std::string>> failedRunLines(const std::vector<std::string>& countLines,
                                                          const testing::Matcher<std::string>& errorLine);

// Shows a program by its name in test names and failure messages.
void PrintTo(const LumoraProgram& program, std::ostream* out);
