// Rebuild requests of the display parts: none pending at start-up.
#include "platform/ui/repaint_requests.h"

unsigned char g_RebuildAxisTriad = 0;
unsigned char g_RebuildToolList = 0;
unsigned char g_RebuildHeadPartLists = 0;
unsigned char g_RebuildHead1PartList = 0;
unsigned char g_RebuildHead2PartList = 0;
unsigned char g_RepaintToolPanel = 0;
unsigned char g_ToolDialogRefresh = 0;
