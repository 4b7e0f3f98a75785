// Stand-in of the tool panel: none is made.
#include "view/tool_panel.h"

WindowHandle CreateToolPanel(WindowHandle) { return nullptr; }
