// Stand-ins of the settings dialogs: each is answered with Cancel and changes nothing.
#include "app/settings_dialogs.h"

#include "platform/ui/ui_constants.h"

int g_OffsetTableKind = 0;

int RunPitchDialog(WindowHandle) { return IDCANCEL; }
int RunOptionalBlockSkipDialog(WindowHandle) { return IDCANCEL; }
int RunStartupStateDialog(WindowHandle) { return IDCANCEL; }
int RunColourSettingsDialog(WindowHandle) { return IDCANCEL; }
int RunDisplayVisibilityDialog(WindowHandle) { return IDCANCEL; }
int RunControlPointDialog(WindowHandle) { return IDCANCEL; }
int RunOffsetTableDialog(WindowHandle) { return IDCANCEL; }
int RunWorkCoordinateDialog(WindowHandle) { return IDCANCEL; }
int RunCutCheckSettingsDialog(WindowHandle) { return IDCANCEL; }
int RunMachineCheckSettingsDialog(WindowHandle) { return IDCANCEL; }
int RunVersionInfoDialog(WindowHandle) { return IDCANCEL; }
