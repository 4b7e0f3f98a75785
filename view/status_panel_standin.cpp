// Stand-in of the status panel drawing: the frame's paint bracket with nothing drawn in it.
#include "view/status_panel.h"

#include "platform/ui/event_core.h"

void PaintFrameWindow(WindowHandle frame)
{
    BeginUiPaint(frame);
    EndUiPaint(frame);
}
