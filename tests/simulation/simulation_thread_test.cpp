// The simulation thread end to end on the demo machine: a two-tool program cut against the kernel
// called directly at the same sub-steps; stops at M00 and at every block, pause, abort during a
// display wait; over-travel, cutting-condition limits, tool-change kinds, per-step snapshots; the rays
// the kernel could not update; the sub-step counts of moves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/machine/stroke_limits.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/tools/tool_table.h"
#include "nc/block_end_position.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"
#include "nc/nc_motion.h"
#include "nc/stop_blocks.h"
#include "simulation/check_flags.h"
#include "simulation/cutting.h"
#include "simulation/interference_reports.h"
#include "simulation/limit_log.h"
#include "simulation/move_stepping.h"
#include "simulation/run_state.h"
#include "simulation/tool_length_results.h"
#include "simulation/warning_file.h"
#include "tests/simulation/cut_test_support.h"
#include "tests/simulation/run_test_support.h"
#include "work_model/dexel_intervals.h"
#include "work_model/work_files.h"

namespace {

const double kPi = 3.14159265358979323846;

// What the run cut, per position.
std::vector<RunCutStep> g_Steps;
void RecordStep(const RunCutStep* step)
{
    g_Steps.push_back(*step);
}

// 1 when both works hold the same ends, attributes and values on every ray of every family.
bool SameWork(const WorkModel& a, const WorkModel& b)
{
    const DexelFamily* fa[3] = {&a.familyX, &a.familyY, &a.familyZ};
    const DexelFamily* fb[3] = {&b.familyX, &b.familyY, &b.familyZ};
    for (int k = 0; k < 3; ++k) {
        if (fa[k]->rayCount != fb[k]->rayCount) return false;
        for (int d = 0; d < fa[k]->rayCount; ++d) {
            const int n = fa[k]->counts[d];
            if (n != fb[k]->counts[d]) return false;
            const double* ea = GetDexelEndsPointer(d, fa[k]->capacity, fa[k]->counts, fa[k]->ends);
            const double* eb = GetDexelEndsPointer(d, fb[k]->capacity, fb[k]->counts, fb[k]->ends);
            if (n > 0 && std::memcmp(ea, eb, sizeof(double) * size_t(n)) != 0) return false;
        }
    }
    return true;
}

class SimulationThread : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        g_Steps.clear();
        g_RunCutStepHook = RecordStep;
    }
    void TearDown() override
    {
        if (g_WarningFile != nullptr) std::fclose(g_WarningFile);
        g_WarningFile = nullptr;
        if (g_LimitLogFile != nullptr) std::fclose(g_LimitLogFile);
        g_LimitLogFile = nullptr;
        if (g_ToolLimitTable != nullptr) std::memset(g_ToolLimitTable, 0, sizeof(ToolLimitRecord) * size_t(g_ToolArrayCapacity));
        g_AtcType = ATC_DIRECT;
        RunFixture::TearDown();
    }
    // Sub-steps cut per NC line tag.
    static std::map<int, int> StepsPerLine()
    {
        std::map<int, int> count;
        for (const RunCutStep& s : g_Steps) ++count[s.tag < 0 ? -s.tag : s.tag];
        return count;
    }
};

// The demo program (two tools, lines and arcs) cut by the thread equals the same program cut by
// calling the kernel directly at sub-steps interpolated here, and the removed volume is the kernel's.
TEST_F(SimulationThread, TwoToolProgramCutsAsTheKernelAtTheSameSubSteps)
{
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", folder.File("pocket.nc").c_str());
    Run();
    EXPECT_EQ(g_NcAlarmCode, 0);
    EXPECT_EQ(g_OvertravelAxis, -1);
    EXPECT_EQ(g_NcRunState, NC_RUN_FINISHED);
    ASSERT_GT(g_Steps.size(), 100u);
    double threadVolume = 0.0;
    int tools[2] = {0, 0};
    for (const RunCutStep& s : g_Steps) {
        threadVolume += s.removedVolume;
        if (s.tool == 1) tools[0] = 1;
        if (s.tool == 2) tools[1] = 1;
    }
    EXPECT_EQ(tools[0] + tools[1], 2);
    WorkModel byThread = g_WorkModels[0];
    g_WorkModels[0] = WorkModel{};

    // The reference: the interpreter's moves, interpolated here, each sub-step cut by the kernel.
    BuildWork();
    ResetInterpreterState();
    g_NcFile = OpenFile(g_NcFilePath, "rb");
    ASSERT_NE(g_NcFile, nullptr);
    UpdateCurrentMachinePosition();
    double kernelVolume = 0.0;
    size_t steps = 0;
    int tool = -1;
    g_RunMode = 1;
    NcMotion motion;
    for (;;) {
        const int moved = FetchNcMotion(&motion);
        if (g_CommandedToolNumber >= 0 && g_LastMCode == 6 && g_CommandedToolNumber != tool) {
            tool = g_CommandedToolNumber;
            g_SpindleToolNumber = tool;
            ASSERT_EQ(SelectCurrentTool(tool, g_WorkPitch), 1);
            g_CommandedToolNumber = -1;
        }
        const int arc = motion.kind == MOTION_ARC_CW || motion.kind == MOTION_ARC_CCW;
        if (moved && (!arc || g_ArcLength > 0.0)) {
            double d[3], length2 = 0.0;
            for (int a = 0; a < 3; ++a) {
                d[a] = motion.end[a] - motion.start[a];
                length2 += d[a] * d[a];
            }
            const double h = d[g_PlaneNormalAxis];
            const double length = arc ? std::sqrt(g_ArcLength * g_ArcLength + h * h) : std::sqrt(length2);
            const int n = std::max(1, int(std::ceil(length / g_MovePitch)));
            for (int k = 1; k <= n; ++k) {
                if (k == n) {
                    for (int a = 0; a < 3; ++a) g_ControlPoint.axis[a] = motion.end[a];
                } else if (arc) {
                    const double t = double(k) / n;
                    const double r = (1.0 - t) * g_ArcStartRadius + t * g_ArcEndRadius;
                    double p = k * (g_FeedValues[1] / n);
                    if (motion.kind == MOTION_ARC_CW) p = k * -(g_FeedValues[1] / n);
                    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2;
                    const double* u = g_ArcStartDirection;
                    g_ControlPoint.axis[a1] = g_MoveArcCentre[a1] + r * (u[a1] * std::cos(p) - u[a2] * std::sin(p));
                    g_ControlPoint.axis[a2] = g_MoveArcCentre[a2] + r * (u[a2] * std::cos(p) + u[a1] * std::sin(p));
                    g_ControlPoint.axis[g_PlaneNormalAxis] = motion.start[g_PlaneNormalAxis] + k * (h / n);
                } else {
                    for (int a = 0; a < 3; ++a) g_ControlPoint.axis[a] = motion.start[a] + k * (d[a] / n);
                }
                SetCutColourAndTag(g_BlockLineNumber);
                UpdateCurrentMachinePosition();
                g_MoveRemovedVolume = 0.0;
                ClearCheckFlags();
                CutWorkAlongMove(&g_WorkModels[0], g_ToolTipPoint, g_ToolAxisVector);
                kernelVolume += g_MoveRemovedVolume;
                ++steps;
            }
        }
        if (motion.last) break;
    }
    std::fclose(g_NcFile);
    g_NcFile = nullptr;
    EXPECT_EQ(steps, g_Steps.size());
    EXPECT_TRUE(SameWork(byThread, g_WorkModels[0]));
    EXPECT_DOUBLE_EQ(threadVolume, kernelVolume);
    EXPECT_GT(threadVolume, 6000.0);
    DestroyWorkModel(&byThread);
}

// Sub-steps of several moves cut in one pass of the cutting threads (the blocks read and
// interpreted ahead of the cut) give every sub-step the volume, cut flag, position, colour and tag
// of cutting each on its own, the same work and marks, the same stroke stop in the middle of a
// later move of a pass, on 1, 2 and 8 threads; a rapid, a block without motion and a tool change
// between the moves end or keep the pass as they must.
TEST_F(SimulationThread, PassesAcrossMovesGiveTheRunOfCuttingEachSubStepAlone)
{
    std::string program = "%\nG90 G54\nT1 M6\nS8000 M3\nG00 X20. Y20. Z2.\nG01 Z-2. F300.\n";
    for (int i = 0; i < 6; ++i) {
        const double x = 24.0 + 8.0 * i;
        program += "X" + std::to_string(x) + " Y" + std::to_string(i % 2 ? 22.0 : 18.0) + "\n";
        program += (i % 2 ? "G02" : "G03") + std::string(" X") + std::to_string(x + 4.0) + " Y" +
                   std::to_string(i % 2 ? 26.0 : 14.0) + " R4.\nG01 ";
        if (i == 2) program += "F400.\nS9000\nG00 Z2.\nX60. Y30.\nG01 Z-1.5\n";
    }
    program += "X70. Y40.\nZ-2.5\nG00 Z10.\nT2 M6\nG00 X20. Y40. Z2.\nG01 Z-1. F200.\nX30.\nG02 X40. R5.\nG01 Y75.\nX99.\nM30\n%\n";
    UseProgram(program);
    struct Outcome {
        std::vector<RunCutStep> steps;
        uint64_t hash = 0, marks = 0;
        int overtravelAxis = -1, line = 0;
        AxisPosition machine{}, saved{};
    };
    auto run = [&](int stepsAhead, int threads, double limitX, Outcome* out) {
        BuildWork();
        std::vector<double> kept;
        for (int s = 0; s < g_StrokeLimitSetCount; ++s) {
            kept.push_back(g_StrokeLimits[s].range[2 * AXIS_X + 1]);
            if (limitX > 0.0) g_StrokeLimits[s].range[2 * AXIS_X + 1] = limitX;
        }
        g_CutStepsAhead = stepsAhead;
        SetCuttingThreadCount(threads);
        g_CutRaysPerThread = 16;
        g_Steps.clear();
        Run();
        for (int s = 0; s < g_StrokeLimitSetCount; ++s) g_StrokeLimits[s].range[2 * AXIS_X + 1] = kept[size_t(s)];
        g_CutStepsAhead = CUT_STEPS_AHEAD;
        SetCuttingThreadCount(0);
        g_CutRaysPerThread = CUT_RAYS_PER_THREAD;
        const WorkModel& work = g_WorkModels[0];
        out->steps = g_Steps;
        out->hash = HashWorkRays(work);
        out->marks = 1469598103934665603ull;
        for (int b = 0; b < work.blockCount; ++b) out->marks = (out->marks ^ work.changedBlocks[b]) * 1099511628211ull;
        out->overtravelAxis = g_OvertravelAxis;
        out->line = g_NcLineNumber;
        out->machine = g_MachinePosition;
        out->saved = g_SavedState.machinePosition;
    };
    Outcome whole;
    run(1, 1, 0.0, &whole);
    ASSERT_EQ(whole.overtravelAxis, -1);
    ASSERT_GT(whole.steps.size(), 150u);
    // The stroke stops the last move (X 40 to 99) about halfway, beyond every earlier sub-step (the
    // tool tip is the machine's X on this machine).
    double highestBefore = -1e9;
    for (const RunCutStep& s : whole.steps) {
        if (s.tag != whole.steps.back().tag) highestBefore = std::max(highestBefore, s.tip[AXIS_X]);
    }
    const double limitX = 0.5 * (highestBefore + whole.steps.back().tip[AXIS_X]) + 0.3;
    Outcome alone;
    run(1, 1, limitX, &alone);
    ASSERT_EQ(alone.overtravelAxis, AXIS_X) << highestBefore << " " << limitX;
    ASSERT_LT(alone.steps.size(), whole.steps.size());
    int tools[3] = {0, 0, 0};
    for (const RunCutStep& s : alone.steps) tools[s.tool >= 1 && s.tool <= 2 ? s.tool : 0] = 1;
    EXPECT_EQ(tools[1] + tools[2], 2);
    EXPECT_EQ(alone.line, whole.steps.back().tag);
    for (int threads : {1, 2, 8}) {
        for (int stepsAhead : {16, CUT_STEPS_AHEAD}) {
            SCOPED_TRACE(::testing::Message() << threads << " threads, " << stepsAhead << " sub-steps ahead");
            Outcome together;
            run(stepsAhead, threads, limitX, &together);
            EXPECT_EQ(together.hash, alone.hash);
            EXPECT_EQ(together.marks, alone.marks);
            EXPECT_EQ(together.overtravelAxis, alone.overtravelAxis);
            EXPECT_EQ(together.line, alone.line);
            ASSERT_EQ(together.steps.size(), alone.steps.size());
            for (size_t k = 0; k < alone.steps.size(); ++k) {
                const RunCutStep &a = alone.steps[k], &b = together.steps[k];
                ASSERT_EQ(b.subStep, a.subStep) << k;
                ASSERT_EQ(b.subStepCount, a.subStepCount) << k;
                ASSERT_EQ(b.motionKind, a.motionKind) << k;
                ASSERT_EQ(b.cut, a.cut) << k;
                ASSERT_EQ(b.removedVolume, a.removedVolume) << k;
                ASSERT_EQ(b.tag, a.tag) << k;
                ASSERT_EQ(b.colour, a.colour) << k;
                ASSERT_EQ(b.tool, a.tool) << k;
                for (int i = 0; i < 3; ++i) ASSERT_EQ(b.tip[i], a.tip[i]) << k;
            }
            for (int i = 0; i < AXIS_POSITION_COUNT; ++i) {
                EXPECT_EQ(together.machine.axis[i], alone.machine.axis[i]);
                EXPECT_EQ(together.saved.axis[i], alone.saved.axis[i]);
            }
        }
    }
}

TEST_F(SimulationThread, StopsAtM00AndAtEveryBlockAndResumesOnGo)
{
    const std::string program = "%\nG90 G54\nT1 M6\nS8000 M3\nG00 X30. Y25. Z2.\nM00\nG01 Z-1. F200.\nX40.\nM30\n%\n";
    UseProgram(program);
    struct Case {
        int stopMode;
        int stops;  // stops met (each resumed at once by GO)
    } cases[] = {{STOP_NONE, 0}, {STOP_NORMAL, 1}, {STOP_SINGLE, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stopMode);
        BuildWork();
        g_StopMode = c.stopMode;
        int stops = 0;
        std::string stoppedAt;
        Run([&](uint64_t) {
            if (LoadRunFlag(g_RunWaitingForGo)) {
                ++stops;
                if (stoppedAt.empty()) stoppedAt = g_NcLineBuffer;
                StoreRunFlag(g_RunWaitingForGo, 0);  // GO
            }
        });
        EXPECT_EQ(stops, c.stops) << "line " << g_NcLineNumber << " alarm " << g_NcAlarmCode << " state " << g_NcRunState << " ended " << g_RunEnded << " contact " << g_ToolContactState << " over " << g_OvertravelAxis << " abort " << g_AbortRequest << " cut " << g_CutInMove << " rapidcheck " << g_RapidCheckActive << " tip z " << g_ToolTipPoint[2] << " tool " << g_SpindleToolNumber << " limit " << g_CheckFlags.limit << " pos " << g_AlarmPositionSaved;
        EXPECT_EQ(g_NcRunState, NC_RUN_FINISHED);
        EXPECT_EQ(StepsPerLine()[8], 10);  // X40. cut after the stop
        if (c.stopMode == STOP_NORMAL) {
            EXPECT_EQ(stoppedAt, "M00\n");
        }
        g_Steps.clear();
    }
}

TEST_F(SimulationThread, PauseAndAbortWhileWaiting)
{
    UseProgram("%\nG90 G54\nT1 M6\nS8000 M3\nG00 X30. Y25. Z2.\nG01 Z-1. F200.\nX40.\nX50.\nX60.\nM30\n%\n");
    // A pause request stops the run at the next block; GO resumes it.
    g_RunMode = 1;
    g_SkipView = 5;  // a step is shown after every 5th sub-step and the last of a move
    int paused = 0, waits = 0;
    Run([&](uint64_t) {
        if (LoadRunFlag(g_StepDisplayWait)) {
            if (++waits == 10) StoreRunFlag(g_PauseRequest, 1);
            StoreRunFlag(g_StepDisplayWait, 0);
        }
        if (LoadRunFlag(g_RunWaitingForGo)) {
            ++paused;
            StoreRunFlag(g_PauseRequest, 0);
            StoreRunFlag(g_RunWaitingForGo, 0);
        }
    });
    EXPECT_EQ(paused, 1) << waits << " waits, " << g_Steps.size() << " steps";
    EXPECT_EQ(g_NcRunState, NC_RUN_FINISHED);
    EXPECT_EQ(StepsPerLine()[9], 10);

    // An abort while the thread waits for the display ends the run at once.
    BuildWork();
    g_Steps.clear();
    uint64_t abortedAt = 0;
    const uint64_t took = Run([&](uint64_t elapsed) {
        if (LoadRunFlag(g_StepDisplayWait) && abortedAt == 0) {
            abortedAt = elapsed + 1;
            StoreRunFlag(g_AbortRequest, 1);  // the display is never drawn
        }
    });
    EXPECT_GT(abortedAt, 0u);
    EXPECT_LT(took - abortedAt, 500u);
    EXPECT_EQ(LoadRunFlag(g_StepDisplayWait), 0);
    EXPECT_EQ(g_Steps.size(), 5u);  // the fifth sub-step waited and the run ended
    EXPECT_LT(g_NcRunState, NC_RUN_FINISHED);

    // An abort while waiting at a stop ends the run without the block.
    BuildWork();
    StoreRunFlag(g_AbortRequest, 0);
    g_RunMode = 3;
    g_StopMode = STOP_SINGLE;
    Run([&](uint64_t) {
        if (LoadRunFlag(g_RunWaitingForGo)) StoreRunFlag(g_AbortRequest, 1);
    });
    EXPECT_EQ(g_NcLineNumber, 1);
    EXPECT_LT(g_NcRunState, NC_RUN_FINISHED);
}

TEST_F(SimulationThread, OverTravelStopsAtTheOffendingSubStep)
{
    UseProgram("%\nG90 G54\nT1 M6\nS8000 M3\nG00 X0. Y0. Z2.\nG00 Y500.\nG00 X10.\nM30\n%\n");
    Run();
    EXPECT_EQ(g_OvertravelAxis, 1);
    EXPECT_EQ(g_OvertravelAxisLetter, 'Y');
    EXPECT_EQ(g_AlarmPositionSaved, 1);
    EXPECT_EQ(g_NcLineNumber, 6);
    double maxY = 0.0;
    for (int s = 0; s < g_StrokeLimitSetCount; ++s) maxY = std::max(maxY, g_StrokeLimits[s].range[3]);
    EXPECT_GT(g_MachinePosition.axis[AXIS_Y], maxY);
    EXPECT_LE(g_MachinePosition.axis[AXIS_Y], maxY + g_MovePitch);
    EXPECT_EQ(g_SavedState.machinePosition.axis[AXIS_Y], g_MachinePosition.axis[AXIS_Y]);
}

TEST_F(SimulationThread, CuttingConditionLimits)
{
    const std::string program = "%\nG90 G54\nT1 M6\nS8000 M3\nG00 X30. Y25. Z2.\nG01 Z-2. F300.\nX50.\nM30\n%\n";
    UseProgram(program);
    ASSERT_NE(g_ToolLimitTable, nullptr);
    // Kind 1: the run stops at the first sub-step whose cross-section exceeds the limit.
    g_ToolLimitTable[1] = ToolLimitRecord{LIMIT_PLAIN, {5.0f, 0.0f, 0.0f, 0.0f}};
    Run();
    EXPECT_EQ(g_CheckFlags.limit, 1);
    EXPECT_EQ(g_AlarmPositionSaved, 1);
    EXPECT_EQ(g_ToolContactState, CONTACT_CHECK_FIRED);
    EXPECT_EQ(g_NcLineNumber, 6);  // the plunge: the whole tool section
    EXPECT_GE(StepsPerLine()[6], 1);
    EXPECT_LE(StepsPerLine()[6], 3);
    EXPECT_EQ(StepsPerLine()[7], 0);
    EXPECT_EQ(g_LimitLogFile, nullptr);

    // Kind 11: every exceeding sub-step gets a line of "limitp.txt" and the run goes on.
    BuildWork();
    g_Steps.clear();
    g_ToolLimitTable[1] = ToolLimitRecord{LIMIT_PLAIN_LOG, {5.0f, 0.0f, 0.0f, 0.0f}};
    Run();
    EXPECT_EQ(g_NcRunState, NC_RUN_FINISHED);
    EXPECT_EQ(StepsPerLine()[7], 20);
    ASSERT_NE(g_LimitLogFile, nullptr);
    EXPECT_EQ(g_LimitLogKind, 1);
    std::fclose(g_LimitLogFile);
    g_LimitLogFile = nullptr;
    const std::string log = ReadTextFile(folder.File(kLimitLogAreaFileName));
    int lines = 0;
    for (size_t at = 0; (at = log.find("(A)\n", at)) != std::string::npos; at += 4) ++lines;
    EXPECT_EQ(lines, g_LimitLogLines);
    EXPECT_GE(lines, 19);
    EXPECT_EQ(log.compare(0, 2, "6:"), 0) << log.substr(0, 80);

    // Kind 12 in the spindle at the run start: "limitsp.txt" is made although nothing exceeds it.
    BuildWork();
    g_ToolLimitTable[1] = ToolLimitRecord{LIMIT_S_LOG, {1e9f, 0.0f, 0.0f, 0.0f}};
    g_SpindleToolNumber = 1;
    Run();
    ASSERT_NE(g_LimitLogFile, nullptr);
    EXPECT_EQ(g_LimitLogKind, 2);
    EXPECT_EQ(g_LimitLogLines, 0);
    EXPECT_TRUE(DoesFileExist(folder.File(kLimitLogRateFileName).c_str()));
}

TEST_F(SimulationThread, ToolChangeKinds)
{
    // Line 3 selects or changes, line 4 changes or swaps, line 7 once more; the tool of the cuts of
    // lines 6 and 8.
    struct Case {
        int atc;
        const char* program;
        int toolAtLine6, toolAtLine8;
    } cases[] = {
        {ATC_DIRECT, "%\nG90 G54 S8000 M3\nT2\nT1 M6\nG00 X30. Y25. Z2.\nG01 Z-1. F200.\nT3\nX40.\nM30\n%\n", 1, 3},
        {ATC_WAIT, "%\nG90 G54 S8000 M3\nT2\nM6\nG00 X30. Y25. Z2.\nG01 Z-1. F200.\nT3\nX40.\nM30\n%\n", 2, 2},
        // WAIT2: M6 with a T word loads the tool selected before (2) and selects the one it names.
        {ATC_WAIT2, "%\nG90 G54 S8000 M3\nT2\nT1 M6\nG00 X30. Y25. Z2.\nG01 Z-1. F200.\nM6\nX40.\nM30\n%\n", 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.atc);
        BuildWork();
        g_Steps.clear();
        g_AtcType = c.atc;
        g_SpindleToolNumber = 0;
        UseProgram(c.program);
        Run();
        EXPECT_EQ(g_NcAlarmCode, 0);
        int at6 = -1, at8 = -1;
        for (const RunCutStep& s : g_Steps) {
            if (s.tag == 6) at6 = s.tool;
            if (s.tag == 8) at8 = s.tool;
        }
        EXPECT_EQ(at6, c.toolAtLine6);
        EXPECT_EQ(at8, c.toolAtLine8);
    }
}

TEST_F(SimulationThread, PerStepSnapshotsAreNamedByStepAndTool)
{
    // Tool 1 cuts, tool 3 only moves in the air, tool 2 cuts: files 001 (T001) and 003 (T002).
    UseProgram("%\n(QUMBRA:SAVE WORK AT EACH PROCESS)\nG90 G54 S8000 M3\nT1 M6\nG00 X30. Y25. Z2.\n"
               "G01 Z-1. F200.\nG00 Z50.\nT3 M6\nG00 X60.\nT2 M6\nG00 Z2.\nG01 Z-1.\nX70.\nM30\n%\n",
               "job.nc");
    Run();
    EXPECT_EQ(g_NcRunState, NC_RUN_FINISHED);
    EXPECT_TRUE(DoesFileExist(folder.File("job_001_T001.DME").c_str()));
    EXPECT_FALSE(DoesFileExist(folder.File("job_002_T003.DME").c_str()));
    EXPECT_TRUE(DoesFileExist(folder.File("job_003_T002.DME").c_str()));
    EXPECT_EQ(g_MachineStepCount, 3);
    WorkModel last{};
    ASSERT_EQ(LoadWorkModelDme(&last, folder.File("job_003_T002.DME").c_str(), 0), 1);
    EXPECT_TRUE(SameWork(last, g_WorkModels[0]));
    DestroyWorkModel(&last);

    // A base name too long for the file name: no file, and no name cut short into another one.
    BuildWork();
    const size_t room = sizeof g_NcFilePath - 1 - folder.path.size() - 1;  // the NC path just fits
    const std::string longName = std::string(room - 3, 'n') + ".nc";
    UseProgram("%\n(QUMBRA:SAVE WORK AT EACH PROCESS)\nG90 G54 S8000 M3\nT1 M6\nG00 X30. Y25. Z2.\n"
               "G01 Z-1. F200.\nT2 M6\nM30\n%\n",
               longName.c_str());
    ASSERT_EQ(std::strlen(g_NcFilePath), sizeof g_NcFilePath - 1);
    Run();
    EXPECT_EQ(g_NcRunState, NC_RUN_FINISHED);
    EXPECT_EQ(g_MachineStepCount, 2);
    EXPECT_EQ(g_WorkSavePath[0], '\0');
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path)) {
        if (entry.path().extension() == ".DME") ++files;
    }
    EXPECT_EQ(files, 2);
}

TEST_F(SimulationThread, RaysNotUpdatedAreReportedOncePerRun)
{
    UseProgram("%\nG90 G54\nT1 M6\nS8000 M3\nG00 X30. Y25. Z2.\nG01 Z-1. F200.\nX40.\nM30\n%\n");
    g_EnglishUi = 1;
    g_RunCutStepHook = [](const RunCutStep* step) {
        if (step->tag == 7) {  // as the kernel counts a ray whose list would grow too long
            ++g_UnstoredRayCount;
            if (g_FirstUnstoredRayLine == 0) g_FirstUnstoredRayLine = step->tag;
        }
    };
    Run();
    g_EnglishUi = 0;
    EXPECT_EQ(g_UnstoredRayCount, 10);
    EXPECT_NE(std::string(g_RunEndMessage).find("10 rays"), std::string::npos) << g_RunEndMessage;
    EXPECT_NE(std::string(g_RunEndMessage).find("line 7"), std::string::npos) << g_RunEndMessage;
    ASSERT_NE(g_WarningFile, nullptr);
    std::fclose(g_WarningFile);
    g_WarningFile = nullptr;
    EXPECT_STREQ(g_WarningFilePath, folder.File("part_warning.txt").c_str());
    const std::string text = ReadTextFile(g_WarningFilePath);
    EXPECT_EQ(text.find("<<< WARNING INFORMATION >>>"), 0u);
    EXPECT_NE(text.find("7:* 10 rays could not take the cut"), std::string::npos) << text;

    // A run without such rays says nothing.
    BuildWork();
    g_RunCutStepHook = nullptr;
    Run();
    EXPECT_EQ(g_RunEndMessage[0], '\0');
    EXPECT_EQ(g_WarningFile, nullptr);
}

// One run writes its three lists through their own writers: the summary interference report of a
// rapid that cut (a pause: the run goes on), the warning file of the rays the kernel could not
// update (opened by the warning writer, counted once), and one tool-length line per tool: the
// thread's before the tool change, the frame's at the end.
TEST_F(SimulationThread, RunWritesItsListsThroughTheirWriters)
{
    const int keptCheck = g_InterferenceCheck, keptStop = g_StopOnCheck, keptHeight = g_HeightCheck;
    const int keptLevel = g_WarningLevel, keptEnglish = g_EnglishUi;
    g_InterferenceCheck = 2;  // a rapid that cuts pauses the run
    g_StopOnCheck = 1;
    g_HeightCheck = 1;
    g_WarningLevel = 1;
    g_EnglishUi = 1;
    InstallWarningFileHook();
    g_WarningCount = 5;  // left from an earlier run
    g_LengthOutputFile = std::fopen(folder.File("length.txt").c_str(), "w");
    ASSERT_NE(g_LengthOutputFile, nullptr);
    g_MeasureToolPending = 0;
    UseProgram("%\nG90 G54\nT1 M6\nS8000 M3\nG00 X30. Y25. Z2.\nG00 Z-1.\nG00 Z5.\nT2 M6\nG00 X60.\n"
               "G01 Z-1. F200.\nX70.\nM30\n%\n");
    g_RunCutStepHook = [](const RunCutStep* step) {
        if (step->tag == 11 && step->subStep == 1) {
            g_UnstoredRayCount += 4;
            if (g_FirstUnstoredRayLine == 0) g_FirstUnstoredRayLine = 11;
        }
    };
    Run();
    WriteToolLengthResult();  // the frame's call at the end of the run
    CloseInterferenceFile();
    std::fclose(g_LengthOutputFile);
    g_LengthOutputFile = nullptr;
    const int warnings = g_WarningCount;
    if (g_WarningFile != nullptr) std::fclose(g_WarningFile);
    g_WarningFile = nullptr;
    g_WarnLongRotaryMoveHook = nullptr;
    g_InterferenceCheck = keptCheck;
    g_StopOnCheck = keptStop;
    g_HeightCheck = keptHeight;
    g_WarningLevel = keptLevel;
    g_EnglishUi = keptEnglish;
    EXPECT_EQ(g_NcRunState, NC_RUN_FINISHED);

    EXPECT_EQ(ReadTextFile(folder.File("interference.txt")),
              "<<< INTERFERENCE INFORMATION >>>\n-------------- (part.nc)\nRAPID(G00)\n6:G00 Z-1.\n");
    EXPECT_FALSE(DoesFileExist(folder.File("interference2.txt").c_str()));

    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(ReadTextFile(folder.File("part_warning.txt")),
              "<<< WARNING INFORMATION >>>\n-----------\n11:* 4 rays could not take the cut (more than " +
                  std::to_string(DEXEL_MAX_ENDS) + " ends) *\n\n");

    const std::string lengths = ReadTextFile(folder.File("length.txt"));
    ASSERT_EQ(std::count(lengths.begin(), lengths.end(), '\n'), 2) << lengths;
    EXPECT_EQ(lengths.compare(0, 4, "T01:"), 0) << lengths;
    EXPECT_NE(lengths.find(":Height="), std::string::npos) << lengths;
    EXPECT_NE(lengths.find("\nT02:"), std::string::npos) << lengths;
}

TEST_F(SimulationThread, SubStepCounts)
{
    EXPECT_EQ(CountMoveSubSteps(0.3, 1.0), 1);
    EXPECT_EQ(CountMoveSubSteps(2.5, 1.0), 3);
    EXPECT_EQ(CountMoveSubSteps(2.5, 0.0), 1);  // pitch 0: no subdivision
    EXPECT_EQ(CountMoveSubSteps(1e300, 1e-300), 100000000);
    const AxisPosition turn = {{0.0, 0.0, 0.0, 90.0, 0.0}};
    const double radii[2] = {100.0, 1.0};
    const double length = MeasureStraightMoveLength(&turn, radii, radii);
    EXPECT_NEAR(length, 50.0 * kPi, 1e-9);
    EXPECT_EQ(CountMoveSubSteps(length, 1.0), 158);
    EXPECT_EQ(CountTurningPositions(10.0, 1.0), 63);
    EXPECT_EQ(CountTurningPositions(10.0, 0.0), 1);

    // In a run: a 2.5 mm move in 3 sub-steps of 0.8333 mm; with move pitch 0 in one.
    UseProgram("%\nG90 G54\nT1 M6\nS8000 M3\nG00 X30. Y25. Z2.\nG01 Z-1. F200.\nX32.5\nM30\n%\n");
    Run();
    EXPECT_EQ(StepsPerLine()[7], 3);
    EXPECT_NEAR(g_StepLength, 2.5 / 3.0, 1e-12);
    BuildWork();
    g_Steps.clear();
    const double pitch = g_MovePitch;
    g_MovePitch = 0.0;
    Run();
    g_MovePitch = pitch;
    EXPECT_EQ(StepsPerLine()[7], 1);
    EXPECT_EQ(StepsPerLine()[5], 1);
    EXPECT_EQ(g_NcRunState, NC_RUN_FINISHED);
}

}  // namespace
