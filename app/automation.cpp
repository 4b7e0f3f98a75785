// The automation thread of the command line: it carries out the requests of the command line by
// sending the frame the same menu commands a user would choose, waits for a run by polling g_RunMode,
// and ends a batch by posting WM_AUTOMATION_FINISHED.
#include "app/automation.h"

#include <cstdio>

#include "app/command_line.h"
#include "app/macro_log.h"
#include "app/run_control.h"
#include "app/shell_commands.h"
#include "app/startup.h"
#include "nc/interpreter_state.h"
#include "platform/os/clock.h"
#include "platform/ui/event_core.h"
#include "platform/ui/shell_services.h"
#include "simulation/run_state.h"

namespace {

intptr_t Send(int command, intptr_t argument = 0)
{
    return SendUiMessage(g_MainWindow, WM_COMMAND, static_cast<uintptr_t>(command), argument);
}

void Finish() { PostUiMessage(g_MainWindow, WM_AUTOMATION_FINISHED, 0, 0); }

void WaitForRun()
{
    while (g_RunMode != 0 || g_RunFinishing) SleepMs(100);
}

// A batch request that was not carried out is recorded as failed in the macro log.
void LogFailure(const char* what)
{
    WriteMacroLogRecord(what, " - failed\n");
}

int SaveRequested(int batch)
{
    if (g_CmdSaveWork <= 0) return 1;
    const int kind = g_CmdSaveWork;
    g_CmdSaveWork = 0;
    Send(32786, kind);
    // The save command reports its own failures; a batch also marks the request as failed.
    if (batch && !DoesSavedFileExist()) {
        LogFailure(g_WorkSavePath);
        return 0;
    }
    return 1;
}

}  // namespace

int DoesSavedFileExist()
{
    FILE* f = g_WorkSavePath[0] != '\0' ? std::fopen(g_WorkSavePath, "rb") : nullptr;
    if (f == nullptr) return 0;
    std::fclose(f);
    return 1;
}

int RunStartupAutomation(void*)
{
    if (g_CmdMacroGiven) {
        g_CmdMacroGiven = 0;
        RunMacroFile(nullptr);
        return 0;
    }
    const int runMode = g_CmdRunMode;
    const int batch = runMode >= 5;
    if (g_CmdWorkGiven == 1) {
        Send(32784);
        if (g_WorkFilePath[0] != '\0' && !g_WorkFileFound && (batch || g_SilentMode)) {
            Finish();
            return 0;
        }
    }
    if (g_CmdNcGiven) {
        const int stock = (!g_CmdWorkGiven && g_CmdSaveWork > 0 && runMode == 0) || (!g_CmdNoAutoStock && runMode > 0);
        Send(stock ? 32772 : 32771);
        if ((runMode > 4 || g_CmdReportMode > 4) && g_NcAlarmCode > 0) {
            if (g_CmdSaveWork > 0) LogFailure(g_WorkSavePath);
            Finish();
            return 0;
        }
    }
    g_CmdWorkGiven = 0;
    g_CmdNcGiven = 0;
    if (runMode >= 2 && runMode <= 4) {
        Send(32774 + runMode - 2);
        WaitForRun();
        SaveRequested(0);
        g_CmdQuietResults = 0;
        if (g_SilentMode) Finish();
        return 0;
    }
    if (batch) {
        if (Send(RUN_COMMAND_RESULT) == 0 && g_RunMode == 0) {
            // The run did not start (no NC program, no thread): nothing was cut.
            LogFailure(g_NcFilePath);
        }
        WaitForRun();
        g_CmdReportMode = 0;
        g_CmdReportAfterCut = 0;
        if (g_ExitCodeOverride != -1) SaveRequested(1);
        if (g_MacroLog != nullptr) {
            std::fputs("\n", g_MacroLog);
            CloseMacroLog();
        }
        Finish();
        return 0;
    }
    if (g_CmdSaveWork > 0) {
        SaveRequested(g_SilentMode);
        Finish();
        return 0;
    }
    g_CmdQuietResults = 0;
    if (g_SilentMode) Finish();
    return 0;
}
