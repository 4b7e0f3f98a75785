// The run control driven without a window: the run command starts the thread, the poll ticks show
// its steps and find its end; the alarm is chosen from the raised flags and shown or logged; a stop
// waits for GO; an abort winds the run down.
#include "app/run_control.h"

#include "app/command_line.h"
#include "app/macro_log.h"
#include "app/startup.h"
#include "machine_setup/settings/display_settings.h"
#include "nc/interpreter_state.h"
#include "simulation/check_flags.h"
#include "simulation/run_state.h"
#include "tests/simulation/run_test_support.h"

namespace {

class RunControlTest : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        g_RunMode = 0;  // idle: the run commands start the runs
    }
    void TearDown() override
    {
        CloseMacroLog();
        g_CmdRunMode = 0;
        g_CmdBatchRun = 0;
        g_ExitCodeOverride = 0;
        g_AlarmsToMacroLog = 0;
        RunFixture::TearDown();
    }

    // Ticks the run poll every millisecond until the run is over; tick(ms) runs before each tick.
    // Returns the ticks taken.
    int Poll(const std::function<void(int)>& tick = nullptr)
    {
        int ticks = 0;
        while (g_RunMode != 0 && ticks < 60000) {
            if (tick) tick(ticks);
            OnRunPollTimer(nullptr);
            SleepMs(1);
            ++ticks;
        }
        EXPECT_EQ(g_RunMode, 0);
        EXPECT_EQ(g_SimulationThread, nullptr);
        return ticks;
    }
};

void ClearAlarmState()
{
    ClearCheckFlags();
    g_ToolContactState = 0;
    g_NcAlarmCode = 0;
    g_OvertravelAxis = -1;
    g_ProgramStarted = 1;
    g_MotionKind = 1;
    g_AlarmPositionSaved = 0;
    g_CutInMove = 0;
}

TEST(RunAlarm, ChosenFromTheRaisedFlagsInTheirFixedOrder)
{
    const int arbor = g_ArborCheck, interference = g_InterferenceCheck, height = g_HeightCheck;
    struct Case {
        const char* name;
        std::function<void()> set;
        int alarm;
    };
    const Case cases[] = {
        {"no alarm state", [] {}, 0},
        {"contact after a rapid, interference on", [] { g_ToolContactState = 4; g_MotionKind = 0; g_InterferenceCheck = 1; }, 1},
        {"contact after a rapid, interference off", [] { g_ToolContactState = 4; g_MotionKind = 0; g_InterferenceCheck = 0; }, 6},
        {"alarm position saved", [] { g_ToolContactState = 4; g_InterferenceCheck = 0; g_AlarmPositionSaved = 1; }, 7},
        {"NC alarm", [] { g_NcAlarmCode = 13; }, 113},
        {"start code never found", [] { g_ProgramStarted = 0; }, 103},
        {"over-stroke before the NC alarm", [] { g_OvertravelAxis = 2; g_NcAlarmCode = 13; }, 91},
        {"taper before over-stroke", [] { g_OvertravelAxis = 0; g_CheckFlags.taper = 1; g_ArborCheck = 3; }, 5},
        {"arbor only with ARBOR CHECK YES", [] { g_ToolContactState = 4; g_CheckFlags.arbor = 1; g_ArborCheck = 1; g_InterferenceCheck = 0; }, 6},
        {"arbor", [] { g_ToolContactState = 4; g_CheckFlags.arbor = 1; g_ArborCheck = 3; }, 2},
        {"length before chip", [] { g_CheckFlags.limit = 1; g_CheckFlags.length = 1; g_HeightCheck = 2; g_CheckFlags.chip = 1; }, 3},
    };
    for (const Case& c : cases) {
        ClearAlarmState();
        c.set();
        EXPECT_EQ(ChooseRunAlarm(), c.alarm) << c.name;
    }
    ClearAlarmState();
    g_ArborCheck = arbor;
    g_InterferenceCheck = interference;
    g_HeightCheck = height;
}

TEST_F(RunControlTest, BatchRunLogsItsAlarmAndRestoresTheStart)
{
    UseProgram("%\nO0001\nG90 G54 G00 X10. Y10. Z50.\nT1 M6\nG00 X5000. Y10.\nM30\n%\n");
    g_CmdRunMode = CMD_RUN_SILENT_BATCH;
    g_CmdBatchRun = 1;
    ASSERT_EQ(RunCuttingCommand(nullptr, RUN_COMMAND_RESULT), 1);
    EXPECT_EQ(g_RunMode, 3);
    EXPECT_EQ(g_CmdRunMode, 0);
    // A second run command only changes the mode of the running run.
    EXPECT_EQ(RunCuttingCommand(nullptr, RUN_COMMAND_REAL), 0);
    EXPECT_EQ(g_RunMode, 1);
    Poll();
    CloseMacroLog();
    const std::string log = ReadTextFile(folder.File("qumbra.log"));
    EXPECT_NE(log.find(g_NcFilePath), std::string::npos) << log;
    EXPECT_NE(log.find("(5) - "), std::string::npos) << log;
    EXPECT_EQ(log[4], '/');
    EXPECT_EQ(g_ExitCodeOverride, 0);
    for (int a = 0; a < 3; ++a) EXPECT_EQ(g_ControlPoint.axis[a], g_NcStartPoint.axis[a]);
}

TEST_F(RunControlTest, StopAtM00WaitsForGoUnlessTheRunIsUnattended)
{
    const std::string program = "%\nO0002\nG90 G54 G00 X10. Y10. Z50.\nT1 M6\nM00\nG00 X20.\nM30\n%\n";
    for (int unattended : {0, 1}) {
        SCOPED_TRACE(unattended);
        BuildWork();
        UseProgram(program);
        g_SilentMode = unattended;
        g_StopMode = STOP_NORMAL;
        ASSERT_EQ(RunCuttingCommand(nullptr, RUN_COMMAND_REAL), 1);
        int stops = 0;
        Poll([&](int) {
            if (!g_RunPollTimerOn) {  // the poll stopped at the stop and the prompt blinks
                ++stops;
                EXPECT_TRUE(g_BlinkTimerOn);
                EXPECT_EQ(g_StopAtNextBlock, 1);
                OnStopBlinkTimer(nullptr);
                EXPECT_EQ(LoadRunFlag(g_GoPromptBlink), 1);
                StartRunPolling();  // G
                EXPECT_FALSE(g_BlinkTimerOn);
                EXPECT_EQ(LoadRunFlag(g_RunWaitingForGo), 0);
            }
        });
        EXPECT_EQ(stops, unattended ? 0 : 1);
        EXPECT_EQ(g_NcAlarmCode, 0);
        g_StopAtNextBlock = 0;
    }
}

TEST_F(RunControlTest, AbortedBatchRunEndsWithExitCodeMinusOne)
{
    std::string program = "%\nO0003\nG90 G54 G00 X10. Y10. Z50.\nT1 M6\nG01 Z-1. F500\n";
    for (int i = 0; i < 200; ++i) program += (i % 2 ? "X80.\n" : "X10.\n");
    program += "M30\n%\n";
    UseProgram(program);
    g_CmdRunMode = CMD_RUN_BATCH;
    g_CmdBatchRun = 1;
    // The abort comes while the run cuts (a poll tick could come after a short run's end).
    g_RunCutStepHook = [](const RunCutStep*) { StoreRunFlag(g_AbortRequest, 1); };
    ASSERT_EQ(RunCuttingCommand(nullptr, RUN_COMMAND_RESULT), 1);
    Poll();
    g_RunCutStepHook = nullptr;
    EXPECT_EQ(g_ExitCodeOverride, -1);
    EXPECT_EQ(LoadRunFlag(g_AbortRequest), 0);
    EXPECT_EQ(g_RunFinishing, 0);
}

TEST_F(RunControlTest, MissingProgramIsLoggedInBatchAndStartsNoRun)
{
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", folder.File("none.nc").c_str());
    g_CmdBatchRun = 1;
    EXPECT_EQ(RunCuttingCommand(nullptr, RUN_COMMAND_RESULT), 0);
    EXPECT_EQ(g_RunMode, 0);
    const std::string log = ReadTextFile(folder.File("qumbra.log"));
    EXPECT_NE(log.find("none.nc - "), std::string::npos) << log;
}

}  // namespace
