// The finishing benchmark's driver: one cutting run of an NC program over a box work without a window,
// with counts of what the run did: the settings, tool table, controller and machine are read, the box
// work built, the program run on the simulation thread and the cut work saved.
#pragma once

constexpr int FINISHING_RUN_PATH_SIZE = 1024;

// File names the run expects in its data folder besides the settings file "qumbra.ini" (which names
// the tool table, controller and machine definitions), and the name of the saved work.
extern const char* const kFinishingNcFileName;    // "pocket.nc"
extern const char* const kFinishingWorkFileName;  // "pocket.dme"

// Results of RunFinishingFolder besides 1 (the run went through to the end of the program and the work
// was saved; NC alarms and over-strokes still count as a finished run and are in the report).
enum {
    FINISHING_RUN_BAD_FOLDER = -1,       // the data or output folder does not exist
    FINISHING_RUN_DEFINITION_MISSING = -2,  // the tool table, controller or machine file cannot be read
    FINISHING_RUN_NO_WORK = -3,          // the box work could not be built (bad size or pitch, memory)
    FINISHING_RUN_NO_TOOL = -4,          // M6 called a tool that the tool table does not define
    FINISHING_RUN_NC_MISSING = -5,       // the NC program cannot be opened
    FINISHING_RUN_SAVE_FAILED = -6       // the cut work could not be written
};

// What one run did; filled as far as the run got.
struct FinishingRunReport {
    int result;                        // as RunFinishingFolder returns
    int linesRead;                     // NC lines (blocks) handed to the interpreter
    int moves;                         // moves carried out (rapid, linear, arc), not dropped ones
    int arcMoves;                      // of which arcs
    int steps;                         // cutting sub-steps over all moves
    int cuttingSteps;                  // sub-steps that removed material
    int toolChanges;                   // tools made current by M6
    int checkSteps;                    // sub-steps that raised a check flag (holder, length ...)
    int ncAlarm;                       // NC alarm code that stopped the run (0 none; shown as 100 +)
    int ncAlarmLine;                   // NC line of that alarm
    int overtravelAxis;                // axis found beyond its stroke (-1 none); the run stops there
    double workPitch;                  // work and move pitch of the run (mm)
    double movePitch;
    int nodeCount[3];                  // work grid
    double workVolumeBefore;           // material volume of the work before and after (mm^3),
    double workVolumeAfter;            // from the Z-ray family
    double removedVolume;              // sum of the kernel's removed volumes over the sub-steps (mm^3)
    int unstoredRays;                  // rays the kernel could not update (too many ends): material
    int firstUnstoredRayLine;          // left where the tool passed; NC line of the first (0 none)
    double seconds;                    // wall-clock time of the whole run
    double runSeconds;                 // of which the run on the simulation thread
    char ncPath[FINISHING_RUN_PATH_SIZE];
    char outputPath[FINISHING_RUN_PATH_SIZE];  // the saved ".DME"
    char message[256];                 // what went wrong when result is not 1
};

// Runs the run on the files of dataFolder and saves the cut work as kFinishingWorkFileName in
// outputFolder (null or "" for the current folder). report may be null. Returns 1 or FINISHING_RUN_*.
int RunFinishingFolder(const char* dataFolder, const char* outputFolder, FinishingRunReport* report);
