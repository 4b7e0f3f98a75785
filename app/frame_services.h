// Services of shell Parts the frame calls that are not built yet: the menu commands, the run
// control's status bar and the external editor. Stand-ins
// (frame_services_standin.cpp): each does nothing.
#pragma once
#include <cstdint>
#include "app/gdi_resources.h"   // drawing resources and cursors
#include "platform/ui/ui_types.h"

// Runs menu command id (stand-in: nothing; result 0 as every command returns to its sender).
intptr_t RunMenuCommand(WindowHandle frame, int id, intptr_t lParam);
// Closes the external editor at exit (stand-in: nothing).
void CloseEditor(int editorKind);
