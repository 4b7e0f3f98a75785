// The batch demo end to end: the demo data cut and saved, the saved work loaded back and probed where
// the program cut and where it did not, the removed volume against the pocket's own volume; NC
// alarms, an undefined tool and missing data reported; the program itself run on the demo data.
#include "app/batch_demo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/os/files.h"
#include "tests/scoped_temp_folder.h"
#include "work_model/dexel_intervals.h"
#include "work_model/work_files.h"
#include "work_model/work_model.h"

namespace {

const double kPi = 3.14159265358979323846;
const std::string kDemoFolder = std::string(QUMBRA_SOURCE_DIR) + "/examples";

std::string MakeTempFolder()
{
    std::string pattern = ProgramTempFolder().File("demo_XXXXXX");
    const char* made = mkdtemp(&pattern[0]);
    return made ? made : ProgramTempFolder().path;
}

void WriteText(const std::string& path, const std::string& text)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

std::string ReadText(const std::string& path)
{
    std::string text;
    EXPECT_EQ(ReadWholeFile(path.c_str(), &text), 1) << path;
    return text;
}

// A data folder with the demo's settings and definitions and the given NC program.
std::string MakeDataFolder(const std::string& program)
{
    const std::string folder = MakeTempFolder();
    for (const char* name : {"qumbra.ini", "demo.ttl", "fanuc_demo.ctl", "vmc3.mtl"}) {
        WriteText(folder + "/" + name, ReadText(kDemoFolder + "/" + name));
    }
    WriteText(folder + "/" + kBatchDemoNcFileName, program);
    return folder;
}

// Top of the material on the Z-ray through machine (x, y), or NAN when the ray is empty.
double TopAt(const WorkModel& work, double x, double y)
{
    const int i = int(std::lround((x - work.originX) / work.pitch));
    const int j = int(std::lround((y - work.originY) / work.pitch));
    const int d = i + j * work.nodeCountX;
    const DexelFamily& f = work.familyZ;
    if (f.counts[d] == 0) return NAN;
    return GetDexelEndsPointer(d, f.capacity, f.counts, f.ends)[f.counts[d] - 1];
}

TEST(BatchDemo, CutsThePocketAndSavesAWorkThatLoadsBack)
{
    const std::string out = MakeTempFolder();
    BatchDemoReport r;
    ASSERT_EQ(RunBatchDemo(kDemoFolder.c_str(), out.c_str(), &r), 1) << r.message;
    EXPECT_EQ(r.ncAlarm, 0);
    EXPECT_EQ(r.overtravelAxis, -1);
    EXPECT_EQ(r.toolChanges, 2);
    EXPECT_GT(r.moves, 30);
    EXPECT_EQ(r.arcMoves, 6);
    EXPECT_GT(r.cuttingSteps, 0);
    EXPECT_EQ(r.unstoredRays, 0);
    EXPECT_EQ(r.firstUnstoredRayLine, 0);
    EXPECT_LT(r.seconds, 5.0);

    // The pocket (40 x 30 with R8 corners, 6 deep) and the groove of the R3 ball 1.5 deep on a circle
    // of radius 8 in its floor.
    const double pocket = (40.0 * 30.0 - 4.0 * (64.0 - 16.0 * kPi)) * 6.0;
    const double segment = 9.0 * std::acos(0.5) - 1.5 * std::sqrt(9.0 - 2.25);
    const double expected = pocket + segment * 2.0 * kPi * 8.0;
    EXPECT_NEAR(r.removedVolume, expected, 0.04 * expected);
    EXPECT_NEAR(r.workVolumeBefore - r.workVolumeAfter, expected, 0.04 * expected);
    EXPECT_NEAR(r.workVolumeBefore, 100.0 * 80.0 * 25.0, 1e-6);

    ASSERT_EQ(std::string(r.outputPath), out + "/" + kBatchDemoWorkFileName);
    ASSERT_TRUE(DoesFileExist(r.outputPath));
    WorkModel work{};
    ASSERT_EQ(LoadWorkModelDme(&work, r.outputPath, nullptr), 1);
    EXPECT_EQ(work.nodeCountX, r.nodeCount[0]);
    EXPECT_EQ(work.nodeCountY, r.nodeCount[1]);
    EXPECT_EQ(work.nodeCountZ, r.nodeCount[2]);
    // Program point (x, y) lies at machine (x + 20, y + 15) (G54).
    struct Probe {
        double x, y, top;
    } probes[] = {
        {30, 25, -6.0},     // pocket centre: floor
        {10.5, 25, -6.0},   // just inside the left wall: cut by the finishing pass only
        {8, 25, 0.0},       // beyond the wall
        {11, 11, 0.0},      // in the corner left by the R8 corner
        {38, 25, -7.5},     // groove bottom under the ball tip
        {-15, 60, 0.0},     // far corner of the work
    };
    for (const Probe& p : probes) {
        EXPECT_NEAR(TopAt(work, p.x + 20.0, p.y + 15.0), p.top, 1e-9) << p.x << ", " << p.y;
    }
    DestroyWorkModel(&work);
    std::filesystem::remove_all(out);
}

TEST(BatchDemo, ReportsNcAlarmsUndefinedToolsAndMissingData)
{
    struct Case {
        const char* program;
        int result, alarm, alarmLine, overtravelAxis;
    } cases[] = {
        // Start and end radius of the arc differ by 2 mm: alarm 101, the run stops there.
        {"G90 G54\nT1 M6\nG00 X0. Y0. Z2.\nG01 Z-1. F100.\nG02 X10. Y0. I4.\nG01 X20.\nM30\n", 1, 1, 5, -1},
        // Feed move without a feed (CHECK F0): alarm 102.
        {"G90 G54\nT1 M6\nG00 X0. Y0. Z2.\nG01 Z-1.\nM30\n", 1, 2, 4, -1},
        // Tool 7 is not in the tool table.
        {"G90 G54\nT7 M6\nG00 X0. Y0. Z2.\nM30\n", BATCH_DEMO_NO_TOOL, 0, 0, -1},
        // Y beyond its stroke (machine Y up to 400): the run stops at the first sub-step outside.
        {"G90 G54\nT1 M6\nG00 X0. Y0. Z2.\nG00 Y500.\nG00 X10.\nM30\n", 1, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        const std::string data = MakeDataFolder(c.program);
        BatchDemoReport r;
        EXPECT_EQ(RunBatchDemo(data.c_str(), data.c_str(), &r), c.result) << r.message;
        EXPECT_EQ(r.ncAlarm, c.alarm);
        EXPECT_EQ(r.ncAlarmLine, c.alarmLine);
        EXPECT_EQ(r.overtravelAxis, c.overtravelAxis);
        EXPECT_EQ(DoesFileExist((data + "/" + kBatchDemoWorkFileName).c_str()), c.result == 1 ? 1 : 0);
        std::filesystem::remove_all(data);
    }
    BatchDemoReport r;
    EXPECT_EQ(RunBatchDemo("/nonexistent/qumbra/demo", nullptr, &r), BATCH_DEMO_BAD_FOLDER);
    const std::string empty = MakeTempFolder();
    EXPECT_EQ(RunBatchDemo(empty.c_str(), empty.c_str(), &r), BATCH_DEMO_DEFINITION_MISSING);
    const std::string noProgram = MakeDataFolder("");
    std::remove((noProgram + "/" + kBatchDemoNcFileName).c_str());
    EXPECT_EQ(RunBatchDemo(noProgram.c_str(), noProgram.c_str(), &r), BATCH_DEMO_NC_MISSING);
    std::filesystem::remove_all(empty);
    std::filesystem::remove_all(noProgram);
}

TEST(BatchDemo, SummaryNamesRaysThatKeptMaterialAndTheInchAlarm)
{
    BatchDemoReport r{};
    r.result = 1;
    r.nodeCount[0] = r.nodeCount[1] = r.nodeCount[2] = 2;
    r.overtravelAxis = -1;
    r.unstoredRays = 16;
    r.firstUnstoredRayLine = 12;
    r.ncAlarm = 13;
    r.ncAlarmLine = 3;
    testing::internal::CaptureStdout();
    PrintBatchDemoReport(&r);
    const std::string text = testing::internal::GetCapturedStdout();
    EXPECT_NE(text.find("16 rays could not take a cut"), std::string::npos) << text;
    EXPECT_NE(text.find("first at line 12"), std::string::npos) << text;
    EXPECT_NE(text.find("alarm 113 at line 3: Inch input (G20) is not supported"), std::string::npos) << text;
}

TEST(BatchDemo, TheProgramRunsTheDemo)
{
    if (!DoesFileExist(QUMBRA_BINARY)) GTEST_SKIP() << QUMBRA_BINARY << " is not built";
    const std::string out = MakeTempFolder();
    const std::string command = std::string(QUMBRA_BINARY) + " --demo " + kDemoFolder + " " + out + " > " + out +
                                "/report.txt 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadText(out + "/report.txt");
    EXPECT_TRUE(DoesFileExist((out + "/" + kBatchDemoWorkFileName).c_str()));
    const std::string report = ReadText(out + "/report.txt");
    EXPECT_NE(report.find("NC alarms:   none"), std::string::npos) << report;
    EXPECT_NE(report.find("removed volume"), std::string::npos) << report;
    std::filesystem::remove_all(out);
}

}  // namespace
