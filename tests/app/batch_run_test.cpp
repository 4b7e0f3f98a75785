// The program's batch run end to end: "qumbra -X6" with the demo definitions, a box work and an NC
// program on its command line cuts without a window, records the run in the macro log "qumbra.log"
// (with its alarms as "(NC line) - text"), saves the cut work (-O) and exits 0; the saved work is
// loaded back and probed where the program cut and where it did not.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/os/files.h"
#include "tests/scoped_temp_folder.h"
#include "work_model/dexel_intervals.h"
#include "work_model/work_files.h"
#include "work_model/work_model.h"

namespace {

const std::string kDemoFolder = std::string(QUMBRA_SOURCE_DIR) + "/examples/";

std::string ReadText(const std::string& path)
{
    std::string text;
    ReadWholeFile(path.c_str(), &text);
    return text;
}

void WriteText(const std::string& path, const std::string& text)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

class BatchRun : public ::testing::Test {
protected:
    ScopedTempFolder folder{"qumbra_batch_"};

    void SetUp() override
    {
        if (!DoesFileExist(QUMBRA_BINARY)) GTEST_SKIP() << QUMBRA_BINARY << " is not built";
        for (const char* name : {"qumbra.ini", "demo.ttl", "fanuc_demo.ctl", "vmc3.mtl", "pocket.nc"}) {
            WriteText(folder.File(name), ReadText(kDemoFolder + name));
        }
    }
    // Runs the program in the folder with arguments; returns its exit code (-1 as 255).
    int Run(const std::string& arguments)
    {
        const std::string command = "cd '" + folder.path + "' && " + QUMBRA_BINARY + " -Iqumbra.ini " + arguments +
                                    " > run.txt 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
    }
};

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

TEST_F(BatchRun, CutsTheDemoPocketLogsTheRunAndSavesTheWork)
{
    ASSERT_EQ(Run("-X6 \"-D(100,80,0,0,0,-25)\" -Ocut.dme pocket.nc"), 0) << ReadText(folder.File("run.txt"));
    const std::string log = ReadText(folder.File("qumbra.log"));
    // "YYYY/MM/DD hh:mm:ss：path" and the line end of the record; no alarm.
    ASSERT_GT(log.size(), 20u);
    EXPECT_EQ(log[4], '/');
    EXPECT_EQ(log[13], ':');
    EXPECT_NE(log.find("\xEF\xBC\x9A" + folder.File("pocket.nc") + "\n"), std::string::npos) << log;
    EXPECT_EQ(log.find(" - "), std::string::npos) << log;

    WorkModel work{};
    ASSERT_EQ(LoadWorkModelDme(&work, folder.File("cut.dme").c_str(), nullptr), 1);
    EXPECT_EQ(work.nodeCountX, 201);
    EXPECT_EQ(work.nodeCountY, 161);
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
}

TEST_F(BatchRun, AlarmsGoToTheLogAndMissingFilesAreLoggedAsFailed)
{
    WriteText(folder.File("bad.nc"), "%\nO0001\nG90 G54 G00 X10. Y10. Z50.\nT1 M6\nG00 X5000. Y10.\nM30\n%\n");
    ASSERT_EQ(Run("-X6 \"-D(100,80,0,0,0,-25)\" -Obad.dme bad.nc"), 0) << ReadText(folder.File("run.txt"));
    std::string log = ReadText(folder.File("qumbra.log"));
    EXPECT_NE(log.find(folder.File("bad.nc") + "(5) - "), std::string::npos) << log;
    EXPECT_TRUE(DoesFileExist(folder.File("bad.dme").c_str()));

    // A work file that is not there: logged, nothing cut, nothing saved, no message box to wait for.
    EXPECT_EQ(Run("-X6 -Dnone.dme -Onone_cut.dme pocket.nc"), 0);
    log = ReadText(folder.File("qumbra.log"));
    EXPECT_NE(log.find("none.dme - "), std::string::npos) << log;
    EXPECT_FALSE(DoesFileExist(folder.File("none_cut.dme").c_str()));

    // An NC program that is not there: the record says so.
    const size_t before = log.size();
    EXPECT_EQ(Run("-X6 \"-D(100,80,0,0,0,-25)\" -Onone_cut.dme missing.nc"), 0);
    log = ReadText(folder.File("qumbra.log"));
    EXPECT_NE(log.find(" - ", before), std::string::npos) << log;
    EXPECT_FALSE(DoesFileExist(folder.File("none_cut.dme").c_str()));
}

}  // namespace
