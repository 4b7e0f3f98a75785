// The frame's menu commands: WM_COMMAND ids from the menu bar, the status panel, the keys, drops and
// the automation, for selecting NC data, the verification report, reloading the definition files,
// the path and view display switches, the settings dialogs, the panels and the image of the view.
// All run on the UI thread inside the frame's window procedure.
#pragma once
#include <cstdint>
#include "platform/ui/ui_types.h"

// Runs command id with its argument. Returns 1 when id is one of the frame's commands (its result to
// the sender in *result: 0, or 1 when a file command stopped because its file is missing), 0 when it
// is not (the window procedure then passes the message on).
int RunMenuCommand(WindowHandle frame, int id, intptr_t lParam, intptr_t* result);
