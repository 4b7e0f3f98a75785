// NURBS interpolation: the G06.2 (and G132) block reader and its spans.
#pragma once

extern char g_NurbsKnotLetter;   // 'K' for G06.2, 'Q' for G132 (set by the G code)

// Reads a NURBS block from position in g_NcLineBuffer (just after the code) and its continuation lines.
void ReadNurbsBlock(int position);
