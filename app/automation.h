// The automation thread that carries out the command-line requests and the macro thread of a dropped
// macro file. Stand-in (automation_standin.cpp) until the macro language is built: no request is carried
// out; a silent or batch run is ended at once, since no user is there to close it.
#pragma once
#include "platform/ui/ui_constants.h"

// Posted to the frame when a command-line batch has finished (the frame then waits for the thread).
constexpr unsigned WM_AUTOMATION_FINISHED = WM_USER;

// Thread procedures (argument unused; result 0).
int RunStartupAutomation(void* argument);
int RunMacroFile(void* argument);

// 1 when the file named by the save request (g_WorkSavePath) exists.
int DoesSavedFileExist();
