// The settings file "qumbra.ini": where it is found, the program's folders, the reading of every key at
// start-up in its fixed order (sections "Table", "NCdata", "OUTPUTdata", "ExecEditor", "ExecSelf",
// "Video", "Mouse", "Save" here; "DMEdata" and "Define" through the work, colour and display settings).
#pragma once

const int SETTINGS_PATH_SIZE = 256;

// Every variable below is written by the user-interface thread: at start-up by ReadIniSettings, later
// by dialogs, menus and macros. Folder texts end as the file gives them; g_CurrentFolder and
// g_ProgramFolder always end in a separator.

// --- Files and folders ----------------------------------------------------------------------------
extern char g_IniFilePath[SETTINGS_PATH_SIZE];     // settings file used by every read and at exit
extern char g_CurrentFolder[SETTINGS_PATH_SIZE];   // current folder at start-up
extern char g_ProgramFolder[SETTINGS_PATH_SIZE];   // folder of the program file
extern char g_ProgramFilePath[SETTINGS_PATH_SIZE]; // the program file (to start the program again)
extern char g_HelpIndexPath[SETTINGS_PATH_SIZE];   // help start page
extern char g_TtlFolder[SETTINGS_PATH_SIZE];       // "Target_TTLdir"
extern char g_CtlFolder[SETTINGS_PATH_SIZE];       // "Target_CTLdir"
extern char g_MtlFolder[SETTINGS_PATH_SIZE];       // "Target_MTLdir"
extern char g_ToolTableFilePath[SETTINGS_PATH_SIZE]; // tool table ("TOOL_TABLE" or the command line)
// g_ControllerFilePath and g_MachineFilePath: controller_definition.h and machine_definition.h.
extern char g_NcFolder[SETTINGS_PATH_SIZE];        // start folder of the NC file dialog

// --- "OUTPUTdata" ---------------------------------------------------------------------------------
extern char g_LogFolder[SETTINGS_PATH_SIZE];       // macro log
extern char g_LengthFolder[SETTINGS_PATH_SIZE];    // tool-length results
extern char g_VerifyFolder[SETTINGS_PATH_SIZE];    // verification report
extern char g_VerifySuffix[10];                    // extension of the verification report
extern int g_LengthCreateAppend;                   // 1 = append to an existing tool-length result
extern int g_VerifyCreateAppend;                   // 1 = append to an existing verification report
extern int g_LengthNamingMode;                     // 0 fixed names, 1 "FIXED", 2 "AUTO" (after the NC file)
extern int g_VerifyNamingAuto;                     // 2 = named after the NC file (start 1)

// --- "ExecEditor", "ExecSelf" ---------------------------------------------------------------------
extern char g_EditorProgram[SETTINGS_PATH_SIZE];   // external editor
extern char g_EditorOption[SETTINGS_PATH_SIZE];    // its arguments ("%1" the file, "%2" the line)
extern int g_ExecMacroNumber;                      // editor jump macro number
extern char g_ExecMacroName[SETTINGS_PATH_SIZE];   // editor jump macro file
extern int g_EditorSelectOpen;                     // 1 = open the editor when an NC file is chosen
extern int g_CloseEditorAtEnd;                     // 1 = close the editor at exit
extern char g_TtlEditor[SETTINGS_PATH_SIZE];       // editors of the tool table, controller, machine,
extern char g_CtlEditor[SETTINGS_PATH_SIZE];       // settings and report-template files
extern char g_MtlEditor[SETTINGS_PATH_SIZE];
extern char g_IniEditor[SETTINGS_PATH_SIZE];
extern char g_DefEditor[SETTINGS_PATH_SIZE];
extern char g_ExecSelfOption[SETTINGS_PATH_SIZE];  // command-line option when the program starts itself

// --- "Video", "Mouse", "Save" ---------------------------------------------------------------------
extern char g_VideoFolder[SETTINGS_PATH_SIZE];     // movie folder
extern int g_VideoNameAuto;                        // 1 = name the movie after the NC file
extern int g_VideoLapDialog;                       // 1 = show the lap dialog
extern int g_MoveSwitchRButtonDown;                // 1 = the view moves while the right button is down
extern int g_WheelZoomReverse;                     // 1 = the wheel zooms the other way
extern int g_SaveDisplay;                          // "Save" flags: which groups are written at exit
extern int g_SaveWorkColour;
extern int g_SaveToolColour;
extern int g_SaveMachineColour;
extern int g_SaveLineColour;
extern int g_SaveBackground;
extern int g_WindowX;                              // saved frame placement (-1: none)
extern int g_WindowY;
extern int g_WindowHeight;
extern int g_WindowWidth;
extern int g_SaveShowCmd;                          // saved show state
extern int g_ShowCommandMenuPanel;                 // show the command menu panel
extern int g_ShowToolPanel;                        // show the tool panel

// --- Paths ----------------------------------------------------------------------------------------
// out = name when folder is empty, else folder, a separator when it ends in none, then name (cut to
// outSize - 1 characters). Returns out.
char* JoinPath(const char* folder, const char* name, char* out, int outSize);
// The full path of name: itself when it starts at the root, else completed from the current folder.
void GetFullPathOfName(const char* name, char* out, int outSize);
// Resolves a definition or model file name: a name holding a separator is taken as a full path; else
// folder + name when that opens, else the name in the current folder when that opens, else
// g_ProgramFolder + name (not tested).
void LocateDataFile(const char* folder, const char* name, char* out, int outSize);

// --- Reading --------------------------------------------------------------------------------------
// Reads the settings file once at start-up (after the command line, before the definition files):
// LocateIniFile with the process's current folder and program path, then ReadIniSettingsFile.
void ReadIniSettings();
// First steps: g_CurrentFolder, g_ProgramFilePath and g_ProgramFolder from the given texts (a program
// path without a folder gives the current folder), g_IniFilePath (g_CmdIniFile as a path when it holds
// a separator, else in the current folder, else in the program folder) and g_HelpIndexPath.
void LocateIniFile(const char* currentFolder, const char* programFilePath);
// Every key of g_IniFilePath in the settings order; missing file or keys give the defaults.
void ReadIniSettingsFile();
