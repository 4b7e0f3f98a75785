// Opening streams, splitting paths at either separator, long path names, the keyword/value separator and one
// number formatted into a fixed buffer.
#include "work_model/file_routines.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <string>

#include "tests/scoped_temp_folder.h"

namespace {

struct PathCase {
    const char* path;
    const char* directory;
    const char* name;
    const char* nameWithExtension;
};

}  // namespace

TEST(FileRoutines, SplitPaths)
{
    const PathCase cases[] = {
        {"D:\\NC\\PART1.NC", "D:\\NC\\", "PART1", "PART1.NC"},
        {"PART1.NC", "", "PART1", "PART1.NC"},
        {"/home/user/nc/part1.nc", "/home/user/nc/", "part1", "part1.nc"},
        {"data\\sub/mixed.Dme", "data\\sub/", "mixed", "mixed.Dme"},
        {"folder/", "folder/", "", ""},
        {"archive.tar.gz", "", "archive.tar", "archive.tar.gz"},
        {"dir.v2/noext", "dir.v2/", "noext", "noext"},  // a dot in the folder is no extension
        {"", "", "", ""},
    };
    for (const PathCase& c : cases) {
        char out[256];
        EXPECT_EQ(GetDriveAndDirectory(c.path, out, sizeof out), 1);
        EXPECT_STREQ(out, c.directory) << c.path;
        EXPECT_EQ(GetFileNamePart(c.path, 0, out, sizeof out), 1);
        EXPECT_STREQ(out, c.name) << c.path;
        EXPECT_EQ(GetFileNamePart(c.path, 1, out, sizeof out), 1);
        EXPECT_STREQ(out, c.nameWithExtension) << c.path;
    }
}

TEST(FileRoutines, SplitRefusesWhatDoesNotFit)
{
    char small[6];
    EXPECT_EQ(GetDriveAndDirectory("abcdef/x", small, sizeof small), 0);  // "abcdef/" needs 8 bytes
    EXPECT_STREQ(small, "");
    EXPECT_EQ(GetDriveAndDirectory("abcd/x", small, sizeof small), 1);
    EXPECT_STREQ(small, "abcd/");
    EXPECT_EQ(GetFileNamePart("x/abcdef.txt", 0, small, sizeof small), 0);
    EXPECT_STREQ(small, "");
    EXPECT_EQ(GetFileNamePart("x/abcde.txt", 0, small, sizeof small), 1);
    EXPECT_STREQ(small, "abcde");
    std::string longPath(1000, 'a');
    char out[256];
    EXPECT_EQ(GetFileNamePart(longPath.c_str(), 1, out, sizeof out), 0);
}

TEST(FileRoutines, OpenFileAcceptsEitherSeparator)
{
    const ScopedTempFolder scratch;
    std::string folder = scratch.path;
    ASSERT_FALSE(folder.empty());
    std::string path = folder + "/part.nc";
    FILE* stream = OpenFile(path.c_str(), "wb");
    ASSERT_NE(stream, nullptr);
    std::fputs("G00 X0\n", stream);
    std::fclose(stream);

    std::string backslashed = folder + "\\part.nc";
    stream = OpenFile(backslashed.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    char line[32] = {};
    EXPECT_NE(std::fgets(line, sizeof line, stream), nullptr);
    EXPECT_STREQ(line, "G00 X0\n");
    std::fclose(stream);

    EXPECT_EQ(OpenFile((folder + "/missing.nc").c_str(), "rb"), nullptr);
    EXPECT_EQ(OpenFile(folder.c_str(), "rb"), nullptr);  // a folder is no file
    EXPECT_EQ(OpenFile("/dev/zero", "rb"), nullptr);     // nor is a device: reading it never ends
    const std::string pipe = folder + "/pipe.nc";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(OpenFile(pipe.c_str(), "r"), nullptr);      // opening a pipe would block
    unlink(pipe.c_str());
    EXPECT_EQ(OpenFile("", "rb"), nullptr);
    unlink(path.c_str());
    rmdir(folder.c_str());
}

TEST(FileRoutines, ExpandLongPath)
{
    const ScopedTempFolder scratch;
    std::string folder = scratch.path;
    ASSERT_FALSE(folder.empty());
    std::string path = folder + "/WORK.DME";
    FILE* stream = OpenFile(path.c_str(), "wb");
    ASSERT_NE(stream, nullptr);
    std::fclose(stream);

    char out[512] = "untouched";
    EXPECT_EQ(ExpandLongPath((folder + "/NOSUCH.DME").c_str(), out, sizeof out), 0);
    EXPECT_STREQ(out, "untouched");
    EXPECT_EQ(ExpandLongPath(path.c_str(), out, sizeof out), 1);
    EXPECT_EQ(path, out);
    // The result must fit with its terminating zero.
    EXPECT_EQ(ExpandLongPath(path.c_str(), out, static_cast<int>(path.size())), 0);
    EXPECT_EQ(path, out);
    EXPECT_EQ(ExpandLongPath(path.c_str(), out, static_cast<int>(path.size()) + 1), 1);
    unlink(path.c_str());
    rmdir(folder.c_str());
}

TEST(FileRoutines, SkipBlanksAndEquals)
{
    struct Case {
        const char* line;
        int start;
        int end;
    } cases[] = {
        {"PITCH = 0.5", 5, 8},
        {"PITCH=0.5", 5, 6},
        {"PITCH 0.5", 5, 6},
        {"PITCH \t= 0.5", 5, 6},  // a tab is not skipped
        {"PITCH == =", 5, 10},    // to the end of the line, not past it
        {"KEY", 3, 3},
    };
    for (const Case& c : cases) {
        int position = c.start;
        SkipBlanksAndEquals(&position, c.line);
        EXPECT_EQ(position, c.end) << c.line;
    }
}

TEST(FileRoutines, FormatDouble)
{
    char out[32];
    EXPECT_EQ(FormatDouble(out, sizeof out, "%8.3f", 1.5), 8);
    EXPECT_STREQ(out, "   1.500");
    EXPECT_EQ(FormatDouble(out, sizeof out, "X%.1f", -0.25), 5);
    EXPECT_STREQ(out, "X-0.2");  // round half to even of the binary value
    char small[5];
    std::memset(small, 'z', sizeof small);
    EXPECT_EQ(FormatDouble(small, sizeof small, "%8.3f", 1.5), 4);
    EXPECT_STREQ(small, "   1");
    EXPECT_EQ(FormatDouble(small, 0, "%f", 1.0), 0);
    EXPECT_EQ(small[0], ' ');  // nothing written with no room
    EXPECT_EQ(FormatDouble(out, sizeof out, "%g", HUGE_VAL), 3);
    EXPECT_STREQ(out, "inf");
}
