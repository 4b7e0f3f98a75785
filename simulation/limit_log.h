// The cutting-condition limit log of a run: "limitp.txt" (cross-section area) or "limitsp.txt"
// (removal rate) in the current folder, one line per sub-step in which a tool with a logging limit
// (LIMIT or LIMITS with P) exceeded it. Written by the simulation thread; the frame closes the file
// after the run and opens it when it received lines.
#pragma once
#include <cstdio>

extern FILE* g_LimitLogFile;    // the open log, none before the first logging tool of the run
extern int g_LimitLogKind;      // 1 "limitp.txt", 2 "limitsp.txt"
extern int g_LimitLogLines;     // lines written in this run

constexpr char kLimitLogAreaFileName[] = "limitp.txt";
constexpr char kLimitLogRateFileName[] = "limitsp.txt";

// Opens the log for the limit kind of tool: kind 11 "limitp.txt", kind 12 "limitsp.txt" (with "w");
// any other kind, or a tool outside the tool table, changes nothing. An open that fails leaves
// g_LimitLogFile as it was.
void OpenToolLimitLog(int tool);

// Appends the line of the current sub-step: "line:X..Y..Z..<r1>..<r2>..:value(A)" with the tool tip,
// the rotary letters and angles and the exceeded value; inside a sub-program the level's name and
// line counter come first. Nothing when no log is open.
void WriteLimitLogLine(double value);
