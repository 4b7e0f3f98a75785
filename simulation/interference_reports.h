// Interference reports of a run: "interference.txt" (the pauses of a move) and "interference2.txt"
// (one entry per sub-step in state 4). Stand-in (interference_reports_standin.cpp) until the reports
// are built: nothing is written.
#pragma once

extern int g_DetailedInterferenceReport;  // 1 while the open report is "interference2.txt"

// Opens the detailed report at the first sub-step in state 4 when no report is open.
void OpenInterference2Report();
// The entry head of the sub-step in the detailed report.
void WriteInterference2Entry();
// Prints the recorded pause reasons after a move and clears them.
void WriteInterferenceReport();
// Closes the report at the end of a run.
void CloseInterferenceFile();
