// Runs the test program again on a virtual X display. The outer test starts this same program under
// xvfb-run with an environment variable set to 1 and a gtest filter; the tests that need a display check
// that variable and run only in that inner run. The inner run's output goes to a log file, which the
// outer test reads and checks.
#pragma once
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/scoped_temp_folder.h"

// Nonzero when innerVariable is "1", that is, inside the run under Xvfb.
inline int IsUnderXvfb(const char* innerVariable)
{
    const char* value = std::getenv(innerVariable);
    return value != nullptr && std::strcmp(value, "1") == 0;
}

// Nonzero when the xvfb-run command is on the PATH.
inline int HasXvfbRun()
{
    return std::system("command -v xvfb-run > /dev/null 2>&1") == 0;
}

// The whole file as it is; empty when it cannot be read.
inline std::string ReadTextFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The path of this program; empty when it cannot be read.
inline std::string SelfExecutablePath()
{
    char self[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    return length > 0 ? std::string(self, static_cast<size_t>(length)) : std::string();
}

// Starts this program under xvfb-run (screen 1024x768x24 unless another is given) with innerVariable=1
// and --gtest_filter=gtestFilter, its output going to logPath. FLTK, Xft, fontconfig and Mesa keep
// caches for the life of the process: LSAN_OPTIONS gets the suppressions naming their libraries (ahead
// of any value it had), and leaks do not end the run by themselves (exitcode=0), so the outer test
// checks the report in the output. xvfb-run -a can lose the race for a display number to a server
// started at the same moment, so the run is tried up to twice more when Xvfb failed to start. Returns
// the status of std::system (-1 when the program's path is unknown) and fills *output with the log.
inline int RunSelfUnderXvfb(const char* innerVariable, const char* gtestFilter, const std::string& logPath,
                            std::string* output, const char* screen = "1024x768x24")
{
    const std::string self = SelfExecutablePath();
    if (self.empty()) {
        *output = "cannot read /proc/self/exe";
        return -1;
    }
    std::string lsan = std::string("suppressions=") + QUMBRA_SOURCE_DIR + "/tests/platform/fltk/lsan_suppressions.txt";
    const char* previous = std::getenv("LSAN_OPTIONS");
    if (previous != nullptr && previous[0] != '\0') lsan += std::string(":") + previous;
    lsan += ":exitcode=0";
    setenv("LSAN_OPTIONS", lsan.c_str(), 1);
    const std::string command = std::string("xvfb-run -a -s \"-screen 0 ") + screen + "\" env " + innerVariable +
                                "=1 '" + self + "' --gtest_filter='" + gtestFilter + "' > '" + logPath + "' 2>&1";
    int status = std::system(command.c_str());
    for (int attempt = 1; attempt < 3 && ReadTextFile(logPath).find("Xvfb failed to start") != std::string::npos;
         ++attempt) {
        status = std::system(command.c_str());
    }
    *output = ReadTextFile(logPath);
    return status;
}

// The lines of the LeakSanitizer reports in output that place a leaked allocation in our own sources
// (a symbolised frame naming a file under sourceDir), joined; empty when there are none. A frame
// given only as a module and an offset ("(module+0x...)") is left out: it comes from code without
// symbols, such as the GL driver's generated code, even when the nearest module is our test program.
inline std::string LeakLinesFromOurSources(const std::string& output, const std::string& sourceDir)
{
    std::string found;
    size_t report = output.find("ERROR: LeakSanitizer");
    while (report != std::string::npos) {
        const size_t end = output.find("SUMMARY:", report);
        size_t line = report;
        while (line < end && line < output.size()) {
            size_t next = output.find('\n', line);
            if (next == std::string::npos || next > end) next = end;
            const std::string text = output.substr(line, next - line);
            if (text.find(sourceDir) != std::string::npos && text.find("+0x") == std::string::npos) found += text + "\n";
            line = next + 1;
        }
        report = end == std::string::npos ? end : output.find("ERROR: LeakSanitizer", end);
    }
    return found;
}

// Checks an inner run: it exited with 0, passed its one test and skipped none; with checkLeaks, no leak
// report places an allocation in our sources.
inline void ExpectInnerRunPassed(int status, const std::string& output, int checkLeaks)
{
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
    EXPECT_EQ(output.find("[  SKIPPED ]"), std::string::npos) << output;
    if (checkLeaks) {
        EXPECT_EQ(LeakLinesFromOurSources(output, QUMBRA_SOURCE_DIR), "") << output;
    }
}

// The outer test's part: runs the tests matching gtestFilter again under Xvfb, prints their log and
// checks the inner run. The outer test itself skips when it is the inner run or xvfb-run is missing.
inline void CheckTestsUnderXvfb(const char* innerVariable, const char* gtestFilter, int checkLeaks)
{
    ScopedTempFolder logs;
    std::string output;
    const int status = RunSelfUnderXvfb(innerVariable, gtestFilter, logs.File("inner.log"), &output);
    std::printf("%s\n", output.c_str());
    ExpectInnerRunPassed(status, output, checkLeaks);
}
