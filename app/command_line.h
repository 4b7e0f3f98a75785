// The program's command line: the request variables it fills (what the automation thread carries out
// later through the frame's menu commands, and what the settings reader must keep), and the parser that
// reads the line once at start-up. The parser performs nothing itself.
#pragma once
#include "machine_setup/machine_setup_state.h"
#include "nc/interpreter_state.h"

const int CMD_PATH_SIZE = 256;       // every path the command line fills
const int CMD_ARGUMENT_SIZE = 1024;  // a file argument while it is assembled word by word

// Run modes of -X1 .. -X6 (g_CmdRunMode).
enum CmdRunMode {
    CMD_RUN_NONE = 0,
    CMD_RUN_SELECT = 1,        // select the NC program only
    CMD_RUN_REAL = 2,          // real cutting
    CMD_RUN_SKIP = 3,          // skip cutting
    CMD_RUN_RESULT = 4,        // cut and show result
    CMD_RUN_BATCH = 5,         // cut and show result, batch run
    CMD_RUN_SILENT_BATCH = 6   // the same without user interface
};

// Written by the user-interface thread while the line is parsed (before any window exists); read by the
// settings reader, start-up and the frame; consumed and cleared by the automation thread.
extern int g_CmdIniGiven;             // 1: a settings file was named (g_CmdIniFile)
extern int g_CmdMacroGiven;           // 1: a macro file was named (g_MacroFilePath)
extern int g_CmdNcGiven;              // 1: an NC program was named (g_NcFilePath, empty when none opened)
extern int g_CmdRunMode;              // CmdRunMode
extern int g_CmdNoAutoStock;          // 1: select the NC program without defining the optimal stock
extern int g_CmdQuietResults;         // 1: report in quiet form, tool-length results not opened
extern int g_CmdQuietInterference;    // 1: the interference list is not opened at the end of the run
extern int g_CmdBatchRun;             // 1 in run modes 5 and 6
extern int g_CmdReportMode;           // report request: 0 none, 1, 5 or 6
extern int g_CmdReportAfterCut;       // 1: the report follows the cut
extern int g_CmdSaveWork;             // save kind 1 DME, 2 STL text, 3 STL binary, 4 STL big-endian; 0 none
extern int g_CmdMoveWork;             // work edit requests (1 requested)
extern int g_CmdRotateWork;
extern int g_CmdPaint;                // 1 paint the whole work, 2 remove the paint
extern int g_CmdStripPen;             // pen 1 to 19 to strip, 16 all pens; 0 none
extern int g_CmdNoMenu;               // 1: frame without menu, command menu panel and tool panel
extern int g_CmdProcessor;            // processor for the user-interface thread; -1 none
extern int g_MainWindowIconic;       // 1 while the frame is (or starts) minimised
// g_NcFilePath: nc/interpreter_state.h.
extern int g_AutomationPending;       // 1: the automation thread has requests to carry out

// Paths and values the command line fixes directly (owned here).
extern char g_WorkFilePath[CMD_PATH_SIZE];   // work file to load (empty: none)
// g_WorkSavePath (where the -O request saves the work): simulation/run_state.h.
extern char g_MacroFilePath[CMD_PATH_SIZE];  // macro file to run
extern char g_BasicModelTitle[64];           // file name of g_BasicModelPath
extern double g_MoveWorkVector[3];           // -XM vector
extern int g_RotateAxis;                     // -XR axis 0 X, 1 Y, 2 Z
extern double g_RotateAngle;                 // -XR angle in degrees
extern int g_WorkPlacementOverride;          // one-shot coordinates: -1 unset, 1 work, 0 machine
extern int g_SavePlacementOverride;
#include "work_model/basic_model.h"  // g_BasicModelPlacementOverride
extern int g_PanelFontHeight;                // -F font height of the panels; 0 automatic

// Reads the whole command line (the text after the program name) into the variables above and those of
// machine_setup_state.h, the STL import options, the box, cylinder, start point and pitches. Nothing is
// reported; a malformed switch ends the parse there.
void ParseCommandLine(const char* commandLine);
// The command line of argv[1..argc-1] as one text: an argument holding a blank is put in double quotes
// (a switch keeps its letters outside: -T"my tools"). Returns 1, or 0 when it does not fit in outSize.
int JoinCommandLineArguments(int argc, char** argv, char* out, int outSize);

// Reads the work-file argument of -D (kind 1) or -K (kind 2) starting at *position into path (256
// bytes): name, axis suffix and the options ",W", ",M", ",MX<n>", ",S...". *position ends on the
// argument's last character. Returns 1, 0 when the name does not fit.
int ParseWorkFileArgument(const char* line, int* position, char* path, int kind);
// Reads the save argument of -O starting at *position into path (256 bytes) and sets g_CmdSaveWork;
// *position ends behind the argument. Returns 1, 0 when the name does not fit.
int ParseSaveFileArgument(const char* line, int* position, char* path);
// Reads a difference argument ("+0.5HP", "-1N3K,0.2") into the difference settings. Returns 1 when
// more text follows the argument, else 0.
int ParseDifferenceArgument(const char* text);
// Replaces the shortcut path (a buffer of 260 bytes) by its target and sets *length to the new length;
// both stay unchanged when it is no shortcut (here: a symbolic link) or cannot be resolved. Returns 1
// when replaced.
int ResolveShellLink(char* path, int* length);

// Puts every request variable (also the command-line results of machine_setup_state.h) back to its program start value.
void ResetCommandLineRequests();
