// The macro log "qumbra.log": an append-mode record of what batch runs did. A record starts with the
// local time and a text (normally the NC or work file path); the alarms of a batch run append
// "(line) - text" to it and a line end closes it. Everything is written only when the log opened.
#pragma once

extern char g_MacroLogPath[300];   // g_LogFolder joined with "qumbra.log"

// Opens g_MacroLog for appending (creating a missing log folder, one level); none when it cannot be
// opened. An open log stays as it is.
void OpenMacroLog();
// Starts a record: "YYYY/MM/DD hh:mm:ss：text" without a line end.
void WriteMacroLogLine(const char* text);
// Opens the log, writes a whole record (text, then message, which ends with its line end) and closes
// the log again unless it was open before.
void WriteMacroLogRecord(const char* text, const char* message);
// Closes the log (g_MacroLog none).
void CloseMacroLog();
