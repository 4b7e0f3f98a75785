// Stand-in of the automation and macro threads: nothing is carried out; a silent or batch run posts
// the end of automation so that the program closes.
#include "app/automation.h"

#include "app/command_line.h"
#include "platform/ui/shell_services.h"
#include "platform/ui/event_core.h"

int RunStartupAutomation(void*)
{
    if (g_SilentMode || g_CmdBatchRun) PostUiMessage(g_MainWindow, WM_AUTOMATION_FINISHED, 0, 0);
    return 0;
}

int RunMacroFile(void*) { return 0; }
