// Stand-ins of the menu commands and editor bridge the frame calls. The
// commands that reach RunMenuCommand here do nothing: every id of the menu bar except 105 (exit), the
// view's popup (250, 254, 257), the view keys' 32872, the macro-only 32889 and the plug-in items.
#include "app/frame_services.h"


intptr_t RunMenuCommand(WindowHandle, int, intptr_t) { return 0; }
void CloseEditor(int) {}
