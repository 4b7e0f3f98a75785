// The frame's commands a command-line batch cut needs: selecting the NC program (32771, and 32772
// with the optimal stock box from the NC data check), the command-line work load (32784: the box of
// -D or a ".DME" file named on the command line), the command-line work save (32786, -O) and the
// three run commands (32774 to 32776).
#pragma once
#include <cstdint>
#include "platform/ui/ui_types.h"

extern int g_WorkFileFound;   // after 32784: 1 when the named work file was found and read
// The file name part of the work file without folder and extension; the image-save request puts its
// file name here (UI thread, and the automation before it sends 32889).
extern char g_WorkBaseName[256];

// Runs command id when it is the work load, the work save or a run command; returns 1 when handled,
// else 0. The NC selection is reached through the menu commands (menu_commands.h).
int RunShellCommand(WindowHandle frame, int id, intptr_t lParam);

// 32771 (optimalStock 0) or 32772 (1): the NC program from the sender's name (g_CmdNcGiven,
// g_FileNamePreset) or the open dialog. Returns 0, or 1 when it stopped because the file is missing.
int SelectNcData(WindowHandle frame, int optimalStock);
// 32784 on behalf of the command line. Returns 0, or 1 when the named file is missing.
int LoadCommandLineWork(WindowHandle frame);
// 32786 with save kind 1 to 4 into g_WorkSavePath. Returns 1 when written.
int SaveWorkForCommand(WindowHandle frame, int kind);
