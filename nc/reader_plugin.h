// Calls of the optional reader plug-in (NC files of its own format, one path record per block) and of
// the NC tool plug-in (tool data from NC comments), as the interpreter makes them.
#pragma once

// One block delivered by the reader plug-in in place of a text line.
struct ReaderPathRecord {
    int blockNumber;          // NC block number (used as line number when non-zero)
    int kind;                 // below 1000 the MotionKind; 1000 and above a tool call of tool kind - 1000
    double firstBlock[6];     // filled by the plug-in, not read
    double point[6];          // target X, Y, Z, tool-axis vector I, J, K
    double centre[6];         // arc centre X, Y, Z
    int plane;                // PlaneCode of an arc
    double feed;
    char text[256];           // filled by the plug-in, not read
    int extra;                // filled by the plug-in, not read
};
extern ReaderPathRecord g_ReaderPath;    // the record of the current block (driver thread)
extern int g_FileToolsFromPlugin;        // 1 after the NC tool plug-in gave the tools of the file

// Opens the NC file through the active reader plug-in; 1 when it can be read, 0 otherwise.
int StartNcReadPlugin();
// Closes the NC file of the active reader plug-in ("QBREADCLOSE") at the end of a run.
void CloseNcReadPlugin();
// Fills g_ReaderPath with the next block; returns the plug-in's status (0 = end of the input).
int CallReaderPluginPathNext();
// 1 when the active reader plug-in exports "QBREADTOTALBLOCK" (progress by blocks).
int ReaderPluginHasTotalBlock();
// 1 when the active reader plug-in exports the path entry with a plane ("QBREADPATH"); 0 when it
// exports only "QBREADPATHIJK" (vector mode) or none is active.
int ReaderPluginHasPathWithPlane();
// Shows an NC line holding a comment to the NC tool plug-in.
void CallNcToolPlugin(const char* line);
// Clears the call memory of the NC tool plug-in (interpreter reset).
void ClearNcToolPluginCallMemory();
