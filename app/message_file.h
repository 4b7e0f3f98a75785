// The English interface from the message file "qumbra5000.mes" (menu captions, command menu panel texts,
// tool dimension labels) and the state of the menu items: the work-editing items, the check marks that
// mirror the settings, and the menus greyed while a run is in progress.
#pragma once
#include <cstdio>
#include "platform/ui/ui_types.h"

const int MESSAGE_ENTRY_SIZE = 80;          // one entry line of the message file (79 characters)
const int COMMAND_PANEL_TEXT_COUNT = 22;    // the panel title and its 21 button captions
const int COMMAND_PANEL_TEXT_SIZE = 32;     // a word (4 characters; Japanese: 2 in UTF-8) and "(&R)"
const int TOOL_DIMENSION_LABEL_COUNT = 25;
const int TOOL_DIMENSION_LABEL_SIZE = 16;

// Written by the UI thread at start-up (OpenMessageFile, the frame's creation); read by every text choice.
extern FILE* g_MessageFile;                 // open from start-up until the frame's creation read it
extern char g_CommandPanelTexts[COMMAND_PANEL_TEXT_COUNT][COMMAND_PANEL_TEXT_SIZE];
extern char g_ToolDimensionLabels[TOOL_DIMENSION_LABEL_COUNT][TOOL_DIMENSION_LABEL_SIZE];

// Opens "qumbra5000.mes" from the current folder, else from g_ProgramFolder; sets g_EnglishUi = 1 when
// found. Returns the open file or null.
FILE* OpenMessageFile();
// The next entry of g_MessageFile into buffer (MESSAGE_ENTRY_SIZE bytes): 1 "[caption]", 2 one blank,
// 3 two blanks; 0 at the end of the file (buffer keeps its previous text).
int ReadMessageFileEntry(char* buffer);
// With g_EnglishUi: English captions for the menu bar (by position and by command id), the command menu
// panel texts and the tool dimension labels; then closes the message file.
void ApplyMessageFileTexts(MenuHandle menu);
// Greys (state MF_GRAYED) or enables (MF_ENABLED) the items that need a work.
void EnableWorkEditMenu(MenuHandle menu, unsigned state);
// Sets the check marks of the items that mirror settings.
void UpdateMenuChecks(MenuHandle menu);
// Greys the menus a run must not use, and enables them again at its end.
void DisableMenusForRun(WindowHandle frame, MenuHandle menu);
void EnableMenusAfterRun(WindowHandle frame, MenuHandle menu);
// Puts the panel texts and dimension labels back to Japanese (start values) and closes an open file.
void ResetMessageFileTexts();
