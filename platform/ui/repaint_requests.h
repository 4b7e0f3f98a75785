// Requests to rebuild parts of the display: a lower subsystem sets a flag when what a display part
// shows has changed, and the view rebuilds that part at its next drawing and clears the flag. Set by
// whichever thread changed the data (the UI thread or the simulation thread); read and cleared by the
// UI thread. A request set twice before the drawing is one request.
#pragma once

extern unsigned char g_RebuildAxisTriad;       // the axis triad with its work-origin marks
extern unsigned char g_RebuildToolList;        // the tool list
extern unsigned char g_RebuildHeadPartLists;   // the part lists of both heads
extern unsigned char g_RebuildHead1PartList;   // the part list of head 1
extern unsigned char g_RebuildHead2PartList;   // the part list of head 2
extern unsigned char g_RepaintToolPanel;       // the tool panel (its check results changed)
extern unsigned char g_RebuildViewIndicator;        // the screen-fixed axis indicator
extern unsigned char g_RebuildTablePartLists;       // the table part and the parts the linear axes move
extern unsigned char g_RebuildTable1PartList;       // the part list of table 1
extern unsigned char g_RebuildTable2PartList;       // the part list of table 2
extern unsigned char g_RebuildMachineBasicModelsList;  // the machine's basic models
extern unsigned char g_RebuildViceModelsList;       // the vice models
extern unsigned char g_RebuildToolPathList;         // the tool path, rotary moves interpolated
extern unsigned char g_RebuildLinearToolPathList;   // the tool path, rotary moves not interpolated
extern unsigned char g_RebuildBasicModelList;       // the basic model's surface
