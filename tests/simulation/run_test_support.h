// Helpers of the simulation-thread tests: the demo's settings, tool table, controller and machine read
// from a scratch copy (which becomes the current folder, where a run writes its lists), the box work,
// and the run driven as the frame's run poll would drive it.
#pragma once
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/tools/tool_table.h"
#include "nc/interpreter_state.h"
#include "platform/os/clock.h"
#include "platform/os/files.h"
#include "platform/ui/shell_services.h"
#include "simulation/cutting.h"
#include "simulation/simulation_thread.h"
#include "tests/scoped_temp_folder.h"
#include "work_model/work_creation.h"
#include "work_model/work_model.h"
#include "work_model/work_values.h"
#include "work_model/file_routines.h"

inline std::string ReadTextFile(const std::string& path)
{
    std::string text;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
    return text;
}

inline void WriteTextFile(const std::string& path, const std::string& text)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

// A scratch copy of the demo data, read as the program reads it at start-up; the folder is current
// while the fixture lives.
class RunFixture : public ::testing::Test {
protected:
    ScopedTempFolder folder{"qumbra_run_"};
    char savedFolder[1024] = "";
    AxisPosition startPoint{};  // the settings' start point, where every run of a test starts

    void SetUp() override
    {
        ASSERT_FALSE(folder.path.empty());
        ASSERT_NE(getcwd(savedFolder, sizeof savedFolder), nullptr);
        const std::string demo = std::string(QUMBRA_SOURCE_DIR) + "/examples/";
        for (const char* name : {"qumbra.ini", "demo.ttl", "fanuc_demo.ctl", "vmc3.mtl", "pocket.nc"}) {
            WriteTextFile(folder.File(name), ReadTextFile(demo + name));
        }
        const std::string ini = folder.File("qumbra.ini");
        char savedIni[sizeof g_CmdIniFile];
        std::memcpy(savedIni, g_CmdIniFile, sizeof savedIni);
        std::snprintf(g_CmdIniFile, sizeof g_CmdIniFile, "%s", ini.c_str());
        LocateIniFile(folder.path.c_str(), "");
        std::memcpy(g_CmdIniFile, savedIni, sizeof savedIni);
        ReadIniSettingsFile();
        ASSERT_EQ(ReadToolTableFile(), 1);
        ReadControllerFile();
        ASSERT_EQ(g_ControllerFileStatus, 1);
        ReadMachineFile(1);
        ASSERT_EQ(g_MachineFileStatus, 1);
        ASSERT_EQ(chdir(folder.path.c_str()), 0);
        startPoint = g_ControlPoint;
        g_SilentMode = 1;
        g_StopMode = STOP_NONE;
        g_RunMode = 3;
        StoreRunFlag(g_AbortRequest, 0);
        StoreRunFlag(g_PauseRequest, 0);
        StoreRunFlag(g_StepDisplayWait, 0);
        StoreRunFlag(g_RunWaitingForGo, 0);
        BuildWork();
    }
    void TearDown() override
    {
        g_RunCutStepHook = nullptr;
        g_RunMode = 0;
        g_SilentMode = 0;
        g_StopMode = STOP_NONE;
        StoreRunFlag(g_AbortRequest, 0);
        StoreRunFlag(g_PauseRequest, 0);
        DestroyWorkModel(&g_WorkModels[0]);
        g_WorkDefined = 0;
        if (savedFolder[0] != 0) {
            EXPECT_EQ(chdir(savedFolder), 0);
        }
    }

    // The demo's box work at the settings' pitch, current and ready to be cut; the tool back at the
    // start point with no tool in the spindle.
    void BuildWork()
    {
        g_ControlPoint = startPoint;
        g_SpindleToolNumber = 0;
        const double box[6] = {g_InitialSizeMinCorner[0], g_InitialSizeMinCorner[1], g_InitialSizeMinCorner[2],
                               g_InitialSizeMaxCorner[0], g_InitialSizeMaxCorner[1], g_InitialSizeMaxCorner[2]};
        g_CurrentWorkIndex = 0;
        DestroyWorkModel(&g_WorkModels[0]);
        ASSERT_EQ(CreateBoxWorkIdentity(&g_WorkModels[0], box, g_WorkPitch), 1);
        PrepareWorkForCutting(&g_WorkModels[0]);
    }

    // Writes program as the NC file of the run.
    void UseProgram(const std::string& program, const char* name = "part.nc")
    {
        WriteTextFile(folder.File(name), program);
        std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", folder.File(name).c_str());
    }

    // Runs the thread to its end; poll(elapsedMs) is called every millisecond while it runs, in place
    // of the frame's run poll. Returns the milliseconds the run took.
    static uint64_t Run(const std::function<void(uint64_t)>& poll = nullptr)
    {
        const uint64_t start = GetTickCountMs();
        ThreadHandle thread = StartSimulationThread();
        EXPECT_NE(thread, nullptr);
        if (thread == nullptr) return 0;
        int exitCode = kThreadStillActive;
        while (GetThreadExitCode(thread, &exitCode) && exitCode == kThreadStillActive) {
            if (poll) {
                poll(GetTickCountMs() - start);
            } else {
                if (LoadRunFlag(g_StepDisplayWait)) StoreRunFlag(g_StepDisplayWait, 0);
                if (LoadRunFlag(g_RunWaitingForGo)) StoreRunFlag(g_RunWaitingForGo, 0);
            }
            SleepMs(1);
        }
        JoinThread(thread, &exitCode);
        EXPECT_EQ(exitCode, 0);
        return GetTickCountMs() - start;
    }
};
