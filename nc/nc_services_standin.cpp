// Stand-in definitions of the shell and view services the NC interpreter uses: headless values and
// calls that do nothing, until the shell and the view provide them.
#include "nc/nc_services_standin.h"

int g_ActiveReaderPlugin = -1;
int g_EditorOpen = 0;
int g_EditorFollowsRun = 0;
int g_MainWindowIconic = 0;
int g_ReportCheckRunning = 0;
char g_NcFilePath[256] = {};

void EditorFollowRunLine(int, int) {}
void EditorJumpToLine(int, int, int) {}
void UpdateStatusBar() {}
void AddSubProgress(int) {}
void HideSubProgress() {}
