// The tool panel: a modeless dialog beside the view that shows the tool in use. Stand-in
// (tool_panel_standin.cpp) until the panel is built: no window is made.
#pragma once
#include "platform/ui/ui_types.h"

// Creates the tool panel (template 214) owned by owner, hidden; returns it, or null (stand-in: null).
WindowHandle CreateToolPanel(WindowHandle owner);
