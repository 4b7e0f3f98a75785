// The interference reports of a run, in the current folder: the summary "interference.txt" (one entry
// per paused move with the checks that fired) and, when the user created "interference2.txt" before,
// the detailed list in it (one entry per NC line, one line per sub-step with the tool position); the
// short status-bar text of the reasons; and the tags that name an interference code in the tool-length
// results. The simulation thread writes during the run; the frame closes the report at its end.
#pragma once
#include <cstdio>

constexpr char kInterferenceReportName[] = "interference.txt";
constexpr char kInterference2ReportName[] = "interference2.txt";
constexpr int INTERFERENCE_KINDS_TEXT_SIZE = 128;

// g_InterferenceReportFile (nc/interpreter_state.h) is the open report; the values below go with it.
extern int g_DetailedInterferenceReport;    // 1 while the open report is "interference2.txt"
extern int g_LastInterference2Line;         // NC line of the last detailed entry head (0 at open)
extern char g_InterferenceKindsText[INTERFERENCE_KINDS_TEXT_SIZE];  // status-bar text of the reasons

// At the first sub-step that fired a check in its pause setting while no report is open: when
// "interference2.txt" exists, rewrites it with its head and switches the detailed mode on.
void OpenInterference2Report();
// Detailed mode: the entry head when the NC line changed, then the sub-step's kind list and ":"; the
// thread completes the line with WriteInterference2Position.
void WriteInterference2Entry();
// The rest of a detailed line: "step/steps:X..Y..Z..", the rotary letters with their angles, "\n".
void WriteInterference2Position(int step, int steps, const double* tip, char rotary1Letter, double angle1,
                                char rotary2Letter, double angle2);
// After a move with pause reasons: one summary entry (opening "interference.txt" at the first), the
// status-bar text, the tool panel refresh, the reasons cleared, the sound; g_PauseReasonCount := 2.
void WriteInterferenceReport();
// The status-bar text of g_StopReasonFlags into text (INTERFERENCE_KINDS_TEXT_SIZE bytes).
void FormatInterferenceKinds(char* text);
// End of a run: reports a reason still pending, closes the report and opens it with the shell (unless
// the run is silent or asks for no result lists).
void CloseInterferenceFile();
// Tags of the tool-length result line, written to file: "(TAPERvs" + target of g_TaperInterferenceCode,
// "(ARBORvs" / "(HEADvs" / "(HEAD1vs" / "(HEAD2vs" + target of g_ReportedInterferenceCode, and the
// target word ("WORK)", "VICE)", "TABLE)", "TABLE1)", "TABLE2)", "BASIC)").
void PrintTaperInterferenceTag(FILE* file);
void PrintPartInterferenceTag(FILE* file);
void PrintInterferenceTargetTag(FILE* file, int target);
