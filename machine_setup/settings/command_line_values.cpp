// Results of the command line that the settings file reader respects, with their start values (no
// switch given). The command-line parser fills them.
#include "machine_setup/settings/command_line_values.h"

#include <cstring>

char g_CmdIniFile[256] = "qumbra.ini";
int g_CmdToolTableGiven = 0;
int g_CmdControllerGiven = 0;
int g_CmdMachineGiven = 0;
int g_CmdWorkGiven = 0;
int g_CmdWorkKind = CMD_WORK_FILE;
int g_CmdStartPositionGiven = 0;
int g_CmdDifference = 0;
int g_CmdOffsetRequest = 0;
int g_CmdWindowRectGiven = 0;
int g_CmdCtcGiven = 0;
char g_CmdCtcFile[256] = "";
int g_CmdToolNumber = 0;

void ResetCommandLineValues()
{
    std::strcpy(g_CmdIniFile, "qumbra.ini");
    g_CmdToolTableGiven = 0;
    g_CmdControllerGiven = 0;
    g_CmdMachineGiven = 0;
    g_CmdWorkGiven = 0;
    g_CmdWorkKind = CMD_WORK_FILE;
    g_CmdStartPositionGiven = 0;
    g_CmdDifference = 0;
    g_CmdOffsetRequest = 0;
    g_CmdWindowRectGiven = 0;
    g_CmdCtcGiven = 0;
    g_CmdCtcFile[0] = '\0';
    g_CmdToolNumber = 0;
}
