// The automation thread that carries out the command-line requests and the macro thread of a macro file
// (named on the command line or dropped); the macro lines it carries out are listed in macro_file.cpp.
#pragma once
#include "platform/ui/ui_constants.h"

// Posted to the frame when a command-line batch has finished (the frame then waits for the thread).
constexpr unsigned WM_AUTOMATION_FINISHED = WM_USER;

// Thread procedures (argument unused; result 0).
int RunStartupAutomation(void* argument);
int RunMacroFile(void* argument);

// 1 when the file named by the save request (g_WorkSavePath) exists.
int DoesSavedFileExist();
