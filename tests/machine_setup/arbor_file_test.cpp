// The arbor file: the three holder line kinds, the end of their step lists, comments and other lines,
// the name resolution against the tool table's folder and the file status.
#include <gtest/gtest.h>

#include <string>

#include "machine_setup/tools/arbor_file.h"
#include "tool_test_support.h"

namespace {

// Writes the holder file text and reads it into record (as a tool's own holder).
int ReadHolder(const std::string& text, ArborRecord* record, const char* fileName = "h.atl") {
    std::string path = WriteToolTestFile(fileName, text);
    char name[256];
    std::snprintf(name, sizeof(name), "%s", path.c_str());
    return ReadArborFile(name, record);
}

TEST(ArborFile, HolderLineKinds) {
    ArborRecord a;
    ASSERT_EQ(1, ReadHolder("ARBOR 40, 30, 50, 20\n", &a));
    EXPECT_EQ(1, a.used);
    EXPECT_EQ(ARBOR_KIND_STEPS, a.kind);
    EXPECT_EQ(2, a.stepCount);
    EXPECT_FLOAT_EQ(40, a.diameters[0]);
    EXPECT_FLOAT_EQ(50, a.diameters[1]);
    EXPECT_FLOAT_EQ(30, a.lengths[0]);
    EXPECT_FLOAT_EQ(20, a.lengths[1]);
    ASSERT_EQ(1, ReadHolder("ARBOR2 30, 20\n", &a));
    EXPECT_EQ(ARBOR_KIND_TAPERS, a.kind);
    EXPECT_EQ(1, a.stepCount);
    ASSERT_EQ(1, ReadHolder("ARBOR3 40, 30, 0, 40, 20, 1, 60\n", &a));
    EXPECT_EQ(ARBOR_KIND_SECTIONS, a.kind);
    EXPECT_EQ(2, a.stepCount);
    EXPECT_FLOAT_EQ(40, a.diameters[0]);
    EXPECT_FLOAT_EQ(40, a.diameters[1]);
    EXPECT_FLOAT_EQ(60, a.diameters[2]);
    EXPECT_FLOAT_EQ(30, a.lengths[0]);
    EXPECT_FLOAT_EQ(20, a.lengths[1]);
    EXPECT_EQ(0, a.sectionCodes[0]);
    EXPECT_EQ(1, a.sectionCodes[1]);
}

TEST(ArborFile, FullListsStopAtTenSteps) {
    std::string triples = "ARBOR3 10";
    std::string pairs = "ARBOR2 10, 5";
    std::string plain = "ARBOR 10, 5";
    for (int i = 1; i <= 12; i++) {
        triples += ", 5, " + std::to_string(i % 2) + ", " + std::to_string(10 + i);
        pairs += ", " + std::to_string(10 + i) + ", 5";
        plain += ", " + std::to_string(10 + i) + ", 5";
    }
    ArborRecord a;
    ASSERT_EQ(1, ReadHolder(triples + "\n", &a));
    EXPECT_EQ(10, a.stepCount);
    EXPECT_FLOAT_EQ(20, a.diameters[10]);
    EXPECT_EQ(0, a.sectionCodes[9]);
    ASSERT_EQ(1, ReadHolder(pairs + "\n", &a));
    EXPECT_EQ(10, a.stepCount);
    EXPECT_FLOAT_EQ(20, a.diameters[10]);
    ASSERT_EQ(1, ReadHolder(plain + "\n", &a));
    EXPECT_EQ(10, a.stepCount);
    EXPECT_FLOAT_EQ(19, a.diameters[9]);
}

TEST(ArborFile, CommentsCaseAndOtherLines) {
    ArborRecord a;
    ASSERT_EQ(1, ReadHolder("# ARBOR 99, 99\nsome other text\narbor2 50, 20, 40, 30, 35\nARBOR 1, 1\n", &a));
    EXPECT_EQ(ARBOR_KIND_TAPERS, a.kind);
    EXPECT_EQ(2, a.stepCount);
    EXPECT_FLOAT_EQ(35, a.diameters[2]);
    EXPECT_EQ(0, ReadHolder("# nothing\n", &a));
    EXPECT_EQ(0, a.used);
    EXPECT_EQ(0, a.stepCount);
    ASSERT_EQ(1, ReadHolder("ARBOR\n", &a));  // no numbers: no steps
    EXPECT_EQ(0, a.stepCount);
    ASSERT_EQ(1, ReadHolder("ARBOR3 ,,,,,\n", &a));
    EXPECT_EQ(0, a.stepCount);
}

TEST(ArborFile, NameResolutionAndStatus) {
    WriteToolTestFile("default.atl", "ARBOR 40, 30\n");
    std::snprintf(g_ToolTableFilePath, sizeof(g_ToolTableFilePath), "%s\\atc.ttl", ToolTestFolder().c_str());
    char name[256] = "default.atl";
    g_ArborFileStatus = 0;
    ASSERT_EQ(1, ReadArborFile(name, &g_DefaultArbor));
    EXPECT_EQ(ToolTestFolder() + "\\default.atl", std::string(name));
    EXPECT_EQ(1, g_ArborFileStatus);
    EXPECT_NE(0u, g_ArborFileTime.lowDateTime | g_ArborFileTime.highDateTime);
    char missing[256] = "missing.atl";
    EXPECT_EQ(-1, ReadArborFile(missing, &g_DefaultArbor));
    EXPECT_EQ(-1, g_ArborFileStatus);
    EXPECT_EQ(0, g_DefaultArbor.used);
    std::snprintf(g_ToolTableFilePath, sizeof(g_ToolTableFilePath), "%s/%s/atc.ttl", ToolTestFolder().c_str(),
                  std::string(200, 'd').c_str());
    char tooLong[256];
    std::snprintf(tooLong, sizeof(tooLong), "%s", std::string(100, 'n').c_str());
    EXPECT_EQ(-2, ReadArborFile(tooLong, &g_DefaultArbor));
    EXPECT_EQ(std::string(100, 'n'), std::string(tooLong));
    std::snprintf(g_ToolTableFilePath, sizeof(g_ToolTableFilePath), "atc.ttl");
    char bare[256] = "nowhere.atl";
    EXPECT_EQ(-1, ReadArborFile(bare, &g_DefaultArbor));
    EXPECT_STREQ("nowhere.atl", bare);  // a tool table without folder leaves the name
}

// Found by fuzzing: a tool table naming an endless device as its holder file hung the reader.
TEST(ArborFile, DeviceOrFolderIsNoHolderFile) {
    ArborRecord a;
    char device[256] = "/dev/zero";
    EXPECT_EQ(-1, ReadArborFile(device, &a));
    EXPECT_EQ(0, a.used);
    char folder[256];
    std::snprintf(folder, sizeof(folder), "%s/", ToolTestFolder().c_str());
    EXPECT_EQ(-1, ReadArborFile(folder, &a));
}

}  // namespace
