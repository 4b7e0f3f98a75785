// The push and pop of the sub-program call stack that the call and return blocks perform.
#pragma once

// Call of the in-memory sub-program with O number (or OSP name, when not null). No call when the stack
// is full; NC alarm 11 when the number or name is not indexed.
void CallMemorySubprogram(int number, const char* ospName);
// Call of a sub-program file by name (joined to g_SubprogramFolder); with fallbackNumber >= 0 and
// below 1000 the name "O%04d" is tried when the first does not open. No call when the stack is full;
// NC alarm 11 when no file opens.
void CallSubprogramFile(const char* name, int fallbackNumber);
// Return to the calling level (M99, OSP RTS); nothing at depth 0.
void ReturnFromSubprogram();
