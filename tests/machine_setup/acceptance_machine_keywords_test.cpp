// Machine definition keywords one by one: every part-model name and offset keyword lands in its own
// part slot (both spellings of the paired head parts), the per-axis feed and acceleration forms, the
// table type spellings and the vector-given rotary axis 2.
#include "machine_setup/machine/machine_definition.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_models.h"
#include "machine_setup/settings/work_settings.h"
#include "platform/ui/message_box.h"
#include "tests/scoped_temp_folder.h"

namespace {

const std::string kFixtures = std::string(QUMBRA_FIXTURE_DIR) + "/machine";

// Writes the lines to a scratch ".MTL" file and reads it with X, Y, Z as machine letters.
void ReadMachineText(const std::string& text)
{
    ASSERT_EQ(chdir(kFixtures.c_str()), 0);
    const ScopedTempFolder scratch;
    const std::string path = scratch.File("machine.mtl");
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const ssize_t written = write(fd, text.data(), text.size());
    close(fd);
    ASSERT_EQ(written, static_cast<ssize_t>(text.size()));
    std::snprintf(g_MachineFilePath, sizeof g_MachineFilePath, "%s", path.c_str());
    g_Rotary1Letter = ' ';
    g_Rotary2Letter = ' ';
    g_MachineAxisLetters[0] = 'X';
    g_MachineAxisLetters[1] = 'Y';
    g_MachineAxisLetters[2] = 'Z';
    ReadMachineFile(1);
}

class AcceptanceMachineKeywords : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_DialectHeidenhain = 0;
        g_ToolBasePointFromIni = 0;
        g_ViceModelsFromUser = 0;
        ClearShownMessageBoxes();
    }
};

struct PartKeyword {
    const char* name;  // the keyword before " MODEL"
    int part;
};

const PartKeyword kParts[] = {
    {"TABLE", PART_MODEL_TABLE},       {"TABLE(X)", PART_MODEL_TABLE_X},  {"TABLE(Y)", PART_MODEL_TABLE_Y},
    {"TABLE(Z)", PART_MODEL_TABLE_Z},  {"TABLE1", PART_MODEL_TABLE1},     {"TABLE2", PART_MODEL_TABLE2},
    {"HEAD", PART_MODEL_HEAD},         {"HEAD(XYZ)", PART_MODEL_HEAD},    {"HEAD(X)", PART_MODEL_HEAD_X},
    {"HEAD(Y)", PART_MODEL_HEAD_Y},    {"HEAD(Z)", PART_MODEL_HEAD_Z},    {"HEAD(XY)", PART_MODEL_HEAD_XY},
    {"HEAD(YX)", PART_MODEL_HEAD_XY},  {"HEAD(YZ)", PART_MODEL_HEAD_YZ},  {"HEAD(ZY)", PART_MODEL_HEAD_YZ},
    {"HEAD(ZX)", PART_MODEL_HEAD_ZX},  {"HEAD(XZ)", PART_MODEL_HEAD_ZX},  {"HEAD1", PART_MODEL_HEAD1},
    {"HEAD2", PART_MODEL_HEAD2},
};

TEST_F(AcceptanceMachineKeywords, EveryPartModelKeywordFillsItsOwnSlot)
{
    for (const PartKeyword& k : kParts) {
        SCOPED_TRACE(k.name);
        ReadMachineText(std::string(k.name) + " MODEL part.stl\n" + k.name + " MODEL OFFSET 3, -4.5, 6\n");
        ASSERT_EQ(g_MachineFileStatus, 1);
        for (int part = 0; part < PART_MODEL_COUNT; ++part) {
            if (part == k.part) {
                EXPECT_STREQ(g_PartModelFiles[part], "part.stl");
                EXPECT_EQ(g_PartModelOffsets.part[part][0], 3.0);
                EXPECT_EQ(g_PartModelOffsets.part[part][1], -4.5);
                EXPECT_EQ(g_PartModelOffsets.part[part][2], 6.0);
            } else {
                EXPECT_STREQ(g_PartModelFiles[part], "") << "slot " << part;
                for (int a = 0; a < 3; ++a) EXPECT_EQ(g_PartModelOffsets.part[part][a], 0.0) << "slot " << part;
            }
        }
        // The digit of "TABLE1" / "HEAD2" is never read as a value, and the name keywords leave the BASIC
        // and VICE lists alone.
        EXPECT_EQ(g_BasicModelCount, 0);
        EXPECT_EQ(g_ViceModelCount, 0);
    }
}

TEST_F(AcceptanceMachineKeywords, PerAxisFeedAndAccelerationForms)
{
    ReadMachineText("MAXIMUM FEEDRATE(X) 1100\nMAXIMUM FEEDRATE(Y) 1200\nMAXIMUM FEEDRATE(Z) 1300\n"
                    "MAXIMUM ACCELERATION(X) 0.11\nMAXIMUM ACCELERATION(Y) 0.12\nACCELERATION(Z) 0.13\n");
    EXPECT_EQ(g_MaximumFeedRates[0], 1100.0f);
    EXPECT_EQ(g_MaximumFeedRates[1], 1200.0f);
    EXPECT_EQ(g_MaximumFeedRates[2], 1300.0f);
    EXPECT_EQ(g_AxisAccelerations[0], 0.11f);
    EXPECT_EQ(g_AxisAccelerations[1], 0.12f);
    EXPECT_EQ(g_AxisAccelerations[2], 0.13f);
}

TEST_F(AcceptanceMachineKeywords, TableTypeWordsAndBothSpellings)
{
    struct Case {
        const char* line;
        int table;
    };
    const Case cases[] = {
        {"TABLE TYPE PLANE", TABLE_TYPE_PLANE}, {"TABLE TYPE=CIRCLE", TABLE_TYPE_CIRCLE},
        {"TABLE1 TYPE AXIS", TABLE_TYPE_AXIS},  {"TABLE TYPE LATHE", TABLE_TYPE_LATHE},
        {"TABLE TYPE NO", TABLE_TYPE_NO},       {"TABLE1 TYPE SOMETHING", TABLE_TYPE_NO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ReadMachineText(std::string(c.line) + "\n");
        EXPECT_EQ(g_TableType, c.table);
        EXPECT_EQ(g_Table2Type, TABLE_TYPE_CIRCLE);  // its reset value, untouched
    }
    ReadMachineText("TABLE2 TYPE PLANE\n");
    EXPECT_EQ(g_TableType, TABLE_TYPE_PLANE);  // reset value
    EXPECT_EQ(g_Table2Type, TABLE_TYPE_PLANE);
}

TEST_F(AcceptanceMachineKeywords, ArborWordsAreAcceptedWithoutEffect)
{
    ReadMachineText("NAME M\nARBOR AND TOOL YES\nARBOR AND HEAD NO\nHEAD AND ARBOR YES\nTOOL AND ARBOR NO\n"
                    "RAPID(X) 1234\n");
    EXPECT_EQ(g_MachineFileStatus, 1);
    EXPECT_STREQ(g_MachineName, "M");
    EXPECT_EQ(g_RapidFeedRates[0], 1234.0f);
    EXPECT_EQ(g_HeadType, HEAD_TYPE_PRESENT);
}

TEST_F(AcceptanceMachineKeywords, VectorGivenRotaryAxis2)
{
    // The vector is divided by its squared length: only the direction counts.
    ReadMachineText("ROTARY TYPE HEAD\nROTARY AXIS1 C\nROTARY AXIS2 A\nAXIS2 VECTOR 0, 2, 2\n");
    EXPECT_EQ(g_Rotary2ByVector, 1);
    EXPECT_EQ(g_Rotary1ByVector, 0);
    EXPECT_DOUBLE_EQ(g_Rotary2Vector[0], 0.0);
    EXPECT_DOUBLE_EQ(g_Rotary2Vector[1], 0.25);
    EXPECT_DOUBLE_EQ(g_Rotary2Vector[2], 0.25);
    // A zero vector is ignored.
    ReadMachineText("ROTARY TYPE HEAD\nROTARY AXIS1 C\nROTARY AXIS2 A\nAXIS2 VECTOR 0, 0, 0\n");
    EXPECT_EQ(g_Rotary2ByVector, 0);
}

TEST_F(AcceptanceMachineKeywords, StrokesOfAbsurdMagnitudeAreRefused)
{
    ReadMachineText("ROTARY TYPE HEAD\nROTARY AXIS1 C\nROTARY AXIS2 A\n"
                    "STROKE RANGE(X) -100000000000000000000, 100000000000000000000\nSTROKE RANGE(Y) -50, 400\nSTROKE RANGE(C) -100000000000000000000, -100000000000000000000\n"
                    "STROKE RANGE(A) -99999, 99999\nSTROKE RANGE2(Z) -20000000, 5\nSTROKE RANGE2(X) -5, 5\n");
    EXPECT_EQ(g_MachineFileStatus, 1);
    EXPECT_EQ(g_StrokeLimits[0].enabled[AXIS_X], 0);
    EXPECT_EQ(g_StrokeLimits[0].enabled[AXIS_Y], 1);
    EXPECT_EQ(g_StrokeLimits[0].range[2 * AXIS_Y + 1], 400.0);
    EXPECT_EQ(g_StrokeLimits[0].enabled[AXIS_ROTARY1], 0);
    EXPECT_EQ(g_StrokeLimits[0].enabled[AXIS_ROTARY2], 1);
    EXPECT_EQ(g_StrokeLimits[2].enabled[AXIS_Z], 0);
    EXPECT_EQ(g_StrokeLimits[2].enabled[AXIS_X], 1);
}

TEST_F(AcceptanceMachineKeywords, RepeatedAndLongLinesStayWithinTheirTables)
{
    std::string text = "NAME " + std::string(600, 'N') + "\n";
    for (int k = 0; k < 8; ++k) {
        text += "BASIC MODEL part.stl\nVICE MODEL part.stl\n";
        text += "VICE MODEL OFFSET " + std::to_string(k + 1) + ", 0, 0\n";
        text += "STROKE RANGE(" + std::string(1, char('P' + k)) + ") -1, 1\n";
    }
    text += "TABLE MODEL " + std::string(700, 'x') + ".stl\n";
    ReadMachineText(text);
    EXPECT_EQ(g_MachineFileStatus, 1);
    EXPECT_LT(std::string(g_MachineName).size(), size_t(MACHINE_PATH_SIZE));
    EXPECT_EQ(g_BasicModelCount, MAX_BASIC_MODEL_FILES);
    EXPECT_EQ(g_ViceModelCount, MAX_VICE_MODEL_FILES);
    for (int k = 0; k < MAX_VICE_MODEL_FILES; ++k) EXPECT_EQ(g_PartModelOffsets.vice[k][0], k + 1.0) << k;
    EXPECT_EQ(g_ViceOffsetCount, MAX_VICE_MODEL_FILES);
    EXPECT_STREQ(g_PartModelFiles[PART_MODEL_TABLE], "");  // a name that cannot be the file is refused
}

}  // namespace

TEST_F(AcceptanceMachineKeywords, ZeroRapidFeedAndAccelerationAreRefused)
{
    ReadMachineText("RAPID(X) 2000\nRAPID(X) 0\nRAPID(Y) 3000\nRAPID(Y) -5\nRAPID ACCELERATION(Z) 0.2\n"
                    "RAPID ACCELERATION(Z) 0\n");
    EXPECT_EQ(g_RapidFeedRates[0], 2000.0f);  // the value before the refused one stays
    EXPECT_EQ(g_RapidFeedRates[1], 3000.0f);
    EXPECT_EQ(g_RapidAccelerations[2], 0.2f);
}
