// The modal settings dialogs the frame's menu opens: work pitch and optional block skip, start-up state,
// colours and display visibility, control point, offset and work-coordinate tables, the cutting and
// machine check settings, and the version dialog. Each edits working copies that OK stores; each returns
// 1 on OK and any other value on Cancel, and the command that opened it acts only on 1.
// Stand-ins (settings_dialogs_standin.cpp) until the dialogs are built: each returns IDCANCEL and
// changes nothing.
#pragma once
#include "platform/ui/ui_types.h"

// 0 while the offset table dialog edits the radius offsets (D codes), 1 the length offsets (H codes);
// set by the opening command before the dialog (UI thread).
extern int g_OffsetTableKind;

int RunPitchDialog(WindowHandle owner);                  // template 139
int RunOptionalBlockSkipDialog(WindowHandle owner);      // template 236
int RunStartupStateDialog(WindowHandle owner);           // template 207
int RunColourSettingsDialog(WindowHandle owner);         // template 218
int RunDisplayVisibilityDialog(WindowHandle owner);      // template 279
int RunControlPointDialog(WindowHandle owner);           // template 155
int RunOffsetTableDialog(WindowHandle owner);            // template 234, kind g_OffsetTableKind
int RunWorkCoordinateDialog(WindowHandle owner);         // template 263
int RunCutCheckSettingsDialog(WindowHandle owner);       // template 272
int RunMachineCheckSettingsDialog(WindowHandle owner);   // template 287
int RunVersionInfoDialog(WindowHandle owner);            // template 103
