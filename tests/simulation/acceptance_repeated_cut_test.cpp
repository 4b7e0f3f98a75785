// A second identical cut removes nothing: for every tool type and for tool axes along Z, tilted a
// little, tilted strongly and reversed, cutting the same position twice leaves every ray of the three
// families exactly as the first cut left it, with no volume and no cut reported (the neck and holder
// stamps may only give the ends they touch again the new line tag).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/tools/tool_arrays.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/tools/tool_table.h"
#include "machine_setup/settings/work_settings.h"
#include "tests/scoped_temp_folder.h"
#include "tests/simulation/cut_test_support.h"

namespace {

struct ToolCase {
    const char* name;
    const char* table;
    int arborCheck;
};

const ToolCase kTools[] = {
    {"Ball", "MAGAZINE 1 BALL 8, 30\n", 0},
    {"Flat", "MAGAZINE 1 FLAT 8, 30\n", 0},
    {"Bull", "MAGAZINE 1 BULL 8, 2, 30\n", 0},
    {"BullHollowCorner", "MAGAZINE 1 BULL 8, -1.5, 30\n", 0},
    {"Drill", "MAGAZINE 1 DRILL 6, 31, 30\n", 0},
    {"Cutter", "MAGAZINE 1 CUTTER 8, 1, 0, 0, 10, 5, 12\n", 0},
    {"TaperBall", "MAGAZINE 1 TAPERBALL 2, 5, 15\n", 0},
    {"Vertical", "MAGAZINE 1 VERTICAL 8, 1.5, 30\n", 0},
    {"Oval", "MAGAZINE 1 OVAL 8, 3, 4, 30\n", 0},
    {"TSlot", "MAGAZINE 1 T-THROW 9, 3, 0.8, 0.4, 4\n", 0},
    {"Sphere", "MAGAZINE 1 SPHERE 6, 3\n", 0},
    {"RadiusMill", "MAGAZINE 1 RADIUS 8, 2, 1\n", 0},
    {"FlatNeckArbor", "MAGAZINE 1 FLAT 4, 1\nLENGTH2 3, 1, 1, 3\nARBOR 6, 1, 4, 1.5\n", 2},
    {"BallNeckConeArbor2", "MAGAZINE 1 BALL 4, 3\nLENGTH3 3.5, 1.5, 0.5, 20, 30, 6\nARBOR2 6, 0, 6, 0.8, 4, 1.2\n",
     2},
};

struct AxisCase {
    const char* name;
    double axis[3];
};

const AxisCase kAxes[] = {
    {"AlongZ", {0, 0, 1}},
    {"SlightTilt", {0.0453, 0.0262, 0.9986}},
    {"StrongTilt", {0.5, -0.4, 0.768}},
    {"Reversed", {0, 0, -1}},
};

int MakeToolCurrentFromTable(const char* table)
{
    g_MaxMagazine = 2;
    AllocateToolArrays();
    g_ToolBasePoint = 0;
    g_WorkPitch = 0.5;
    g_ArborClearanceMode = 0;
    g_ArborClearance = 0;
    g_ToolClearanceMode = 0;
    g_HeightCheckType = 0;
    g_CmdToolNumber = 0;
    g_ToolHolderOffset = 0;
    const ScopedTempFolder scratch;
    const std::string path = scratch.File("repeated_cut.ttl");
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return -1;
    std::fputs(table, f);
    std::fclose(f);
    std::snprintf(g_ToolTableFilePath, sizeof(g_ToolTableFilePath), "%s", path.c_str());
    const int read = ReadToolTableFile();
    if (read != 1) return -2;
    return SelectCurrentTool(1, 0);
}

// Every end, attribute and value of the three families.
struct WorkImage {
    std::vector<double> ends;
    std::vector<int> attributes;
    std::vector<int> values;
    std::vector<int> counts;
};

WorkImage CaptureWork(const WorkModel& work)
{
    WorkImage image;
    const DexelFamily* families[3] = {&work.familyX, &work.familyY, &work.familyZ};
    for (const DexelFamily* f : families) {
        for (int d = 0; d < f->rayCount; ++d) {
            const int n = f->counts[d];
            image.counts.push_back(n);
            const double* e = GetDexelEndsPointer(d, f->capacity, f->counts, f->ends);
            const uint8_t* a = GetDexelAttributesPointer(d, f->capacity, f->counts, f->ends, f->attributes);
            const int32_t* v = GetDexelValuesPointer(d, f->capacity, f->counts, f->values);
            for (int k = 0; k < n; ++k) {
                image.ends.push_back(e[k]);
                image.attributes.push_back(a[k]);
                image.values.push_back(v[k]);
            }
        }
    }
    return image;
}

class AcceptanceRepeatedCut : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(AcceptanceRepeatedCut, SecondIdenticalCutRemovesNothing)
{
    const ToolCase& tool = kTools[std::get<0>(GetParam())];
    const AxisCase& axisCase = kAxes[std::get<1>(GetParam())];
    ASSERT_EQ(1, MakeToolCurrentFromTable(tool.table)) << tool.table;
    WorkModel work{};
    const double lo[3] = {0, 0, 0}, hi[3] = {20, 20, 10};
    ASSERT_EQ(1, BuildBoxWork(&work, lo, hi, 0.5));
    PrepareWorkForCutting(&work);
    ResetCutSettings();
    g_ArborCheck = tool.arborCheck;
    double axis[3], length = 0;
    for (double c : axisCase.axis) length += c * c;
    for (int k = 0; k < 3; ++k) axis[k] = axisCase.axis[k] / std::sqrt(length);
    // The reversed tool points its tip up from below the work's bottom face.
    const double tip[3] = {10.13, 9.87, axis[2] < 0 ? 1.79 : 7.21};

    const double first = CutOnce(&work, tip, axis, 41);
    EXPECT_GT(first, 0.0);
    EXPECT_EQ(1, g_CutInMove);
    const WorkImage afterFirst = CaptureWork(work);

    const double second = CutOnce(&work, tip, axis, 42);
    EXPECT_EQ(0.0, second);
    EXPECT_EQ(0, g_CutInMove);
    const WorkImage afterSecond = CaptureWork(work);
    EXPECT_EQ(afterFirst.counts, afterSecond.counts);
    EXPECT_EQ(afterFirst.ends, afterSecond.ends);
    EXPECT_EQ(afterFirst.attributes, afterSecond.attributes);
    if (tool.arborCheck == 0) {
        EXPECT_EQ(afterFirst.values, afterSecond.values) << "the second cut retagged ends it did not make";
    } else {
        // The neck and holder stamps compare against the cut widened by 1e-9, so an end that the first
        // stamp left exactly at the cut's end counts as reached again: it keeps its place and colour but
        // takes the new line tag. Nothing else may change.
        ASSERT_EQ(afterFirst.values.size(), afterSecond.values.size());
        for (size_t k = 0; k < afterFirst.values.size(); ++k) {
            if (afterFirst.values[k] != afterSecond.values[k]) {
                EXPECT_EQ(42, afterSecond.values[k]) << k;
            }
        }
    }
    DestroyWorkModel(&work);
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<int, int>>& info)
{
    return std::string(kTools[std::get<0>(info.param)].name) + "_" + kAxes[std::get<1>(info.param)].name;
}

INSTANTIATE_TEST_SUITE_P(AllTools, AcceptanceRepeatedCut,
                         ::testing::Combine(::testing::Range(0, int(sizeof(kTools) / sizeof(kTools[0]))),
                                            ::testing::Range(0, int(sizeof(kAxes) / sizeof(kAxes[0])))),
                         CaseName);

}  // namespace
