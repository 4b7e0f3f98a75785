// What the STL loads report while they run: progress of the bytes read, the message pump of long
// loops and the status-bar text. One place for the calls the shell and view serve.
#pragma once
#include <cstdint>
#include "platform/ui/ui_types.h"

// Starts the progress over the file's size times factor, with the texts "Reading STL".
void BeginStlProgress(WindowHandle owner, const char* path, int factor);
void EndStlProgress();
// Adds bytes to the progress and updates its display.
void ReportStlBytes(int bytes);
// Runs the message pump once when long loops may pump.
void PumpDuringStlWork();
// Sets the first part of the status bar.
void ShowStlStatusText(const char* text);
