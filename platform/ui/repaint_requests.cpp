// Rebuild requests of the display parts: none pending at start-up.
#include "platform/ui/repaint_requests.h"

unsigned char g_RebuildAxisTriad = 0;
unsigned char g_RebuildToolList = 0;
unsigned char g_RebuildHeadPartLists = 0;
unsigned char g_RebuildHead1PartList = 0;
unsigned char g_RebuildHead2PartList = 0;
unsigned char g_RepaintToolPanel = 0;
unsigned char g_RebuildViewIndicator = 0;
unsigned char g_RebuildTablePartLists = 0;
unsigned char g_RebuildTable1PartList = 0;
unsigned char g_RebuildTable2PartList = 0;
unsigned char g_RebuildMachineBasicModelsList = 0;
unsigned char g_RebuildViceModelsList = 0;
unsigned char g_RebuildToolPathList = 0;
unsigned char g_RebuildLinearToolPathList = 0;
unsigned char g_RebuildBasicModelList = 0;
