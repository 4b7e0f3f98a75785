// Profile files: reads with defaults, case-insensitive sections and keys, trimmed values, and writes that
// replace one key in place and keep every other line of the file.
#include "platform/os/profile.h"
#include "platform/os/files.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "tests/scoped_temp_folder.h"

namespace {

class ProfileFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(scratch_.path.empty());
        folder_ = scratch_.path;
        path_ = folder_ + "/qumbra.ini";
    }
    void Write(const std::string& text) { ASSERT_EQ(WriteFileThroughTemporary(path_.c_str(), text.data(), text.size()), 1); }
    std::string Read()
    {
        std::string text;
        EXPECT_EQ(ReadWholeFile(path_.c_str(), &text), 1);
        return text;
    }
    std::string Get(const char* section, const char* key, const char* defaultText = "DEF")
    {
        char out[256];
        int length = ReadProfileString(section, key, defaultText, out, sizeof out, path_.c_str());
        EXPECT_EQ(static_cast<size_t>(length), std::string(out).size());
        return out;
    }
    ScopedTempFolder scratch_;
    std::string folder_;
    std::string path_;
};

const char* const kSample =
    "; qumbra settings\n"
    "[Table]\n"
    "Target_TTLdir = C:\\DATA\\TTL\\  \n"
    "TOOL_TABLE=sample.ttl\n"
    "\n"
    "[Unknown]\n"
    "# kept as it is\n"
    "PITCH(WORK)=9\n"
    "[Define]\n"
    "  PITCH(WORK)\t=\t0.5\t\n"
    "MAX MAGAZINE = -12abc\n"
    "QUOTED = \"  spaced  \"\n"
    "EMPTY =\n"
    "NOEQUALS\n"
    "[Define]\n"
    "LATE KEY = 3\n";

}  // namespace

TEST_F(ProfileFile, ReadsWithDefaultsAndWithoutRegardToCase)
{
    Write(kSample);
    EXPECT_EQ(Get("Table", "TOOL_TABLE"), "sample.ttl");
    EXPECT_EQ(Get("table", "tool_table"), "sample.ttl");
    EXPECT_EQ(Get(" TABLE ", "Target_TTLdir"), "C:\\DATA\\TTL\\");  // value trimmed
    EXPECT_EQ(Get("Define", "pitch(work)"), "0.5");                  // blanks and tabs trimmed
    EXPECT_EQ(Get("Unknown", "PITCH(WORK)"), "9");                    // same key, other section
    EXPECT_EQ(Get("Define", "QUOTED"), "  spaced  ");                 // outer quotes removed
    EXPECT_EQ(Get("Define", "EMPTY"), "");                            // present but empty: not the default
    EXPECT_EQ(Get("Define", "NOEQUALS"), "DEF");
    EXPECT_EQ(Get("Define", "LATE KEY"), "3");                        // a repeated section is searched too
    EXPECT_EQ(Get("Define", "MISSING"), "DEF");
    EXPECT_EQ(Get("Missing", "TOOL_TABLE"), "DEF");
    EXPECT_EQ(Get("Define", "MISSING", nullptr), "");
    EXPECT_EQ(Get("Table", "; qumbra settings"), "DEF");               // comments are no keys

    EXPECT_EQ(ReadProfileInt("Define", "MAX MAGAZINE", 5, path_.c_str()), -12);
    EXPECT_EQ(ReadProfileInt("define", "late key", 5, path_.c_str()), 3);
    EXPECT_EQ(ReadProfileInt("Define", "QUOTED", 5, path_.c_str()), 0);     // no number
    EXPECT_EQ(ReadProfileInt("Define", "EMPTY", 5, path_.c_str()), 5);
    EXPECT_EQ(ReadProfileInt("Define", "MISSING", 5, path_.c_str()), 5);

    std::string missing = folder_ + "/none.ini";
    char out[8];
    EXPECT_EQ(ReadProfileString("Table", "TOOL_TABLE", "x.ttl", out, sizeof out, missing.c_str()), 5);
    EXPECT_STREQ(out, "x.ttl");
    EXPECT_EQ(ReadProfileInt("Save", "X", -7, missing.c_str()), -7);
}

TEST_F(ProfileFile, ReadCutsToTheBuffer)
{
    Write("[S]\nK = abcdefghij\nJ = ab\xE3\x81\x82\n");
    char out[5];
    EXPECT_EQ(ReadProfileString("S", "K", "", out, sizeof out, path_.c_str()), 4);
    EXPECT_STREQ(out, "abcd");
    // A three-byte character that does not fit is left out whole.
    EXPECT_EQ(ReadProfileString("S", "J", "", out, sizeof out, path_.c_str()), 2);
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(ReadProfileString("S", "K", "", out, 0, path_.c_str()), 0);
}

TEST_F(ProfileFile, WriteReplacesInPlaceAndKeepsEveryOtherLine)
{
    Write(kSample);
    ASSERT_EQ(WriteProfileString("define", "pitch(work)", "0.25", path_.c_str()), 1);
    std::string expected = kSample;
    expected.replace(expected.find("0.5\t\n"), 4, "0.25");
    EXPECT_EQ(Read(), expected);
    EXPECT_EQ(Get("Define", "PITCH(WORK)"), "0.25");
    EXPECT_EQ(Get("Unknown", "PITCH(WORK)"), "9");

    // A key that is new to an existing section goes after the section's last key.
    ASSERT_EQ(WriteProfileString("TABLE", "MACHINE_TABLE", "m.mtl", path_.c_str()), 1);
    expected.insert(expected.find("\n\n[Unknown]") + 1, "MACHINE_TABLE=m.mtl\n");
    EXPECT_EQ(Read(), expected);

    // A new section goes at the end.
    ASSERT_EQ(WriteProfileString("Save", "DISPLAY", "1", path_.c_str()), 1);
    expected += "[Save]\nDISPLAY=1\n";
    EXPECT_EQ(Read(), expected);
    EXPECT_EQ(ReadProfileInt("save", "display", 0, path_.c_str()), 1);

    // Writing the same value again leaves the file as it is; a null value deletes the key's line.
    ASSERT_EQ(WriteProfileString("Save", "DISPLAY", "1", path_.c_str()), 1);
    EXPECT_EQ(Read(), expected);
    ASSERT_EQ(WriteProfileString("Table", "TOOL_TABLE", nullptr, path_.c_str()), 1);
    expected.erase(expected.find("TOOL_TABLE=sample.ttl\n"), 22);
    EXPECT_EQ(Read(), expected);
    ASSERT_EQ(WriteProfileString("Table", "TOOL_TABLE", nullptr, path_.c_str()), 1);
    EXPECT_EQ(Read(), expected);
}

TEST_F(ProfileFile, WriteKeepsLineBreaksAndCreatesTheFile)
{
    // Windows line breaks and a last line without a break.
    Write("[Save]\r\nX=1\r\nY=2");
    ASSERT_EQ(WriteProfileString("Save", "X", "10", path_.c_str()), 1);
    EXPECT_EQ(Read(), "[Save]\r\nX=10\r\nY=2");
    ASSERT_EQ(WriteProfileString("Save", "Z", "3", path_.c_str()), 1);
    EXPECT_EQ(Read(), "[Save]\r\nX=10\r\nY=2\r\nZ=3\r\n");
    ASSERT_EQ(WriteProfileString("Video", "AUTO", "YES", path_.c_str()), 1);
    EXPECT_EQ(Read(), "[Save]\r\nX=10\r\nY=2\r\nZ=3\r\n[Video]\r\nAUTO=YES\r\n");

    std::string fresh = folder_ + "/fresh.ini";
    ASSERT_EQ(WriteProfileString("DMEdata", "CYLINDER", "X(-80,0,0,80,100,40)", fresh.c_str()), 1);
    std::string text;
    ASSERT_EQ(ReadWholeFile(fresh.c_str(), &text), 1);
    EXPECT_EQ(text, "[DMEdata]\nCYLINDER=X(-80,0,0,80,100,40)\n");

    // A section header whose file ends right after it.
    Write("[A]");
    ASSERT_EQ(WriteProfileString("A", "K", "v", path_.c_str()), 1);
    EXPECT_EQ(Read(), "[A]\nK=v\n");
}

TEST_F(ProfileFile, RefusesWritesThatWouldBreakTheFile)
{
    Write("[S]\nK=1\n");
    EXPECT_EQ(WriteProfileString("S", "K", "1\n[Other]", path_.c_str()), 0);
    EXPECT_EQ(WriteProfileString("S]", "K", "1", path_.c_str()), 0);
    EXPECT_EQ(WriteProfileString("S", "K=J", "1", path_.c_str()), 0);
    EXPECT_EQ(WriteProfileString("S", "", "1", path_.c_str()), 0);
    EXPECT_EQ(WriteProfileString("", "K", "1", path_.c_str()), 0);
    EXPECT_EQ(WriteProfileString("S", ";K", "1", path_.c_str()), 0);
    EXPECT_EQ(WriteProfileString("S", "K", "1", (folder_ + "/no/such/dir.ini").c_str()), 0);
    EXPECT_EQ(Read(), "[S]\nK=1\n");
}
