// Other programs: running a program with one argument and waiting for its exit code, starting one
// detached with quoted parameters, and opening a file through a stand-in xdg-open.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/os/clock.h"
#include "platform/os/process.h"
#include "tests/scoped_temp_folder.h"

namespace {

std::string TempPath(const char* name) {
    return ProgramTempFolder().File(name);
}

std::string WriteScript(const std::string& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    chmod(path.c_str(), 0755);
    return path;
}

// Waits up to two seconds for a file to appear and returns its content.
std::string WaitAndRead(const std::string& path) {
    for (int i = 0; i < 200 && access(path.c_str(), F_OK) != 0; ++i) SleepMs(10);
    SleepMs(20);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST(Process, RunsAProgramWithOneArgumentAndWaits) {
    std::string out = TempPath("run.txt");
    std::string script = WriteScript(TempPath("run.sh"), "sleep 0.2; echo \"$#:$1\" > '" + out + "'; exit 7\n");
    int code = -1;
    ASSERT_EQ(RunProgramAndWait(script.c_str(), "two words", &code), 1);
    EXPECT_EQ(code, 7);
    std::ifstream in(out);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "1:two words");  // finished when the call returned; the argument stays one word

    ASSERT_EQ(RunProgramAndWait("true", nullptr, &code), 1);  // found on the PATH
    EXPECT_EQ(code, 0);
    EXPECT_EQ(RunProgramAndWait("/nonexistent/program", "x", &code), 0);
    EXPECT_EQ(RunProgramAndWait("", "x", &code), -1);
    std::remove(out.c_str());
    std::remove(script.c_str());
}

TEST(Process, StartsAProgramDetachedWithQuotedParameters) {
    std::string out = TempPath("start.txt");
    std::string script = WriteScript(TempPath("start.sh"), "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" + out + "'\n");
    uint64_t start = GetTickCountMs();
    ASSERT_EQ(StartProgram(script.c_str(), "-n \"C:\\My Files\\a.nc\" 12"), 1);
    EXPECT_LT(GetTickCountMs() - start, 2000u);
    EXPECT_EQ(WaitAndRead(out), "[-n]\n[C:\\My Files\\a.nc]\n[12]\n");
    EXPECT_EQ(StartProgram("/nonexistent/editor", "x"), 0);
    EXPECT_EQ(StartProgram(nullptr, "x"), -1);
    std::remove(out.c_str());
    std::remove(script.c_str());
}

TEST(Process, OpensAFileWithTheDefaultApplication) {
    std::string folder = TempPath("bin");
    mkdir(folder.c_str(), 0755);
    std::string out = TempPath("opened.txt");
    WriteScript(folder + "/xdg-open", "echo \"$1\" > '" + out + "'\n");
    const char* oldPath = std::getenv("PATH");
    std::string savedPath = oldPath != nullptr ? oldPath : "";
    setenv("PATH", (folder + ":" + savedPath).c_str(), 1);
    EXPECT_EQ(OpenWithDefaultApplication("result\\alarm.txt"), 1);
    EXPECT_EQ(WaitAndRead(out), "result/alarm.txt\n");
    EXPECT_EQ(OpenWithDefaultApplication(""), -1);
    setenv("PATH", folder.c_str(), 1);  // now without sh's usual folders too: the opener is ours alone
    std::remove((folder + "/xdg-open").c_str());
    EXPECT_EQ(OpenWithDefaultApplication("alarm.txt"), 0);  // no opener: reported, not fatal
    setenv("PATH", savedPath.c_str(), 1);
    std::remove(out.c_str());
    rmdir(folder.c_str());
}
