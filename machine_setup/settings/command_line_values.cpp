// Results of the command line that the settings file reader respects, with their start values (no
// switch given). The command-line parser fills them.
#include "machine_setup/machine_setup_state.h"

#include <cstring>

char g_CmdIniFile[256];
int g_CmdToolTableGiven;
int g_CmdControllerGiven;
int g_CmdMachineGiven;
int g_CmdWorkGiven;
int g_CmdWorkKind;
int g_CmdStartPositionGiven;
int g_CmdDifference;
int g_CmdOffsetRequest;
int g_CmdWindowRectGiven;
int g_CmdCtcGiven;
char g_CmdCtcFile[256];
int g_CmdToolNumber;

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

namespace {
// The program start values of the values above are the reset values: their definitions leave them
// to this call, so each default is written once.
[[maybe_unused]] const int kStartValuesSet = (ResetCommandLineValues(), 1);
}  // namespace
