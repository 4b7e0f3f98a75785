// The cutting kernel: one position of the current tool removes the material it occupies from the
// three ray families of the current work, with the cut's colour and line tag on every new end, the
// removed volume, the changed display blocks marked and the LENGTH, CHIP, TAPER and ARBOR checks.
#pragma once
#include <cstdint>

#include "machine_setup/tools/tool_table.h"
#include "work_model/direction_blocks.h"
#include "work_model/work_model.h"

// Machining steps of the run (g_MachineStepCount, g_StepCutMarks): the interpreter keeps them with
// its stop blocks; the kernel marks each step that removed material.
#include "nc/stop_blocks.h"

// The kernel's per-move state of one ray family, hung on its DexelDirectionBlock (block->sweep).
// Points are in the block's own axis order: cross axis 1, cross axis 2, ray axis. Written by the
// thread that cuts.
struct DexelSweepState {
    int32_t rangeLow1, rangeHigh1;  // node indices along cross axis 1 of the rays to visit
    int32_t rangeLow2, rangeHigh2;  // the same along cross axis 2
    int32_t sectionIndex;           // neck section (0..2) or holder step being stamped
    double basePoint[3];            // the tool tip; while sections are stamped, the section base
    double cornerCentrePoint[3];    // tip + n x cornerCentreHeight
    double cornerBasePoint[3];      // tip + n x corner-base height
    double sideStartPoint[3];       // tip + n x side-start height
    double sideEndPoint[3];         // tip + n x side-end height
    double shankBasePoint[3];       // tip + n x cutting length (only with a shank)
    double axisVector[3];           // the unit tool axis n
    double removedVolume;           // volume removed from this family by the current stamp
    int32_t removedEndCount;        // ends of the pieces removed by the current stamp (2 per piece)
};

// Inputs the caller sets before CutWorkAlongMove, while stepping through a move (see SetCutColourAndTag).
// g_CutColour (both bytes, current_tool.h) is the attribute of new ends; g_CutLineTag their value.
extern int32_t g_CutLineTag[2];         // NC line number (negated for compensation corners), twice

// Results of one call; the caller zeroes g_MoveRemovedVolume and clears the flags first.
extern double g_MoveRemovedVolume;      // volume removed by the sub-step (mm^3)
extern int g_CutInMove;                 // 1 when the sub-step removed material

// Run values of the kernel, kept over the calls until ClearCutRunValues (the start of a run). A ray
// whose new list would hold more ends than a ray may (DEXEL_MAX_ENDS), or whose storage cannot be
// obtained, keeps its old list: the data stays valid, but material stays where the tool passed.
extern int g_UnstoredRayCount;          // rays the kernel could not update
extern int32_t g_FirstUnstoredRayLine;  // g_CutLineTag[0] (the NC line) of the first of them, 0 none
void ClearCutRunValues();

// Working records of the kernel, rewritten by every call (readable afterwards, e.g. by tests).
// The tool-axis plane values and the points on the axis of a position are handed to the sweeps with
// the position (each thread that cuts holds its own copy; see cut_sweeps.h).
extern double g_CutBoundRadius;         // bounding radius of the body being cut
extern double g_CutBoundRadiusSquared;
extern uint8_t g_SectionPaintColour[2]; // pen attribute | 1: ends cut by neck sections and holder steps
extern DexelSweepState g_SweepStateX, g_SweepStateY, g_SweepStateZ;  // hung on the three blocks

// Removes from work (normally &g_WorkModels[g_CurrentWorkIndex]) the material that the current tool
// occupies with its tip at `tip` and its unit axis (tip towards holder) `axis`, both in machine
// coordinates. Does nothing unless g_CutCodeState, g_WorkDefined, g_WorkState <= 0 and a defined
// current tool. An STL-body tool goes to the mesh-tool cut. Also cuts or tests neck sections and
// holder steps by ARBOR CHECK. The direction blocks are published for `work` when they describe
// another work or level.
void CutWorkAlongMove(WorkModel* work, const double tip[3], const double axis[3]);

// Several consecutive positions of one move cut in one pass (the threads cut their rays at every
// position in turn), with what each position alone would have left in g_MoveRemovedVolume and
// g_CutInMove. Possible when CanCutPositionsTogether(): the tool body alone cuts (no mesh tool, no
// neck section or holder step to cut or test, no LENGTH or CHIP check, no radius-mill search), so
// that no position yields a result beyond its removed volume.
struct CutPositionResult {
    int swept;             // the body reached the work's grid: removedVolume is the position's result
    int cut;               // some family lost material (the position sets g_CutInMove to 1)
    double removedVolume;  // the blend of the families' volumes
};
int CanCutPositionsTogether();
// Cuts work at tips[0 .. count-1] / axes[...] (as CutWorkAlongMove each, in that order) and fills
// results[0 .. count-1]. The work, its marks, the run values and the sweep states end as after
// count calls of CutWorkAlongMove; g_MoveRemovedVolume and g_CutInMove are left to the caller, who
// applies each result at its own step. Without CanCutPositionsTogether() the positions are cut
// one by one. New ends take colours[j] and lineTags[j] at position j when given (the positions
// of several NC blocks), else g_CutColour and g_CutLineTag.
void CutWorkAtPositions(WorkModel* work, int count, const double (*tips)[3], const double (*axes)[3],
                        CutPositionResult* results, const unsigned char (*colours)[2] = nullptr,
                        const int32_t (*lineTags)[2] = nullptr);

// The blend of the three families' volumes: the family with the most removed ends wins (ties: Z,
// then X before Y); the result is the mean of the winner's volume and every strictly smaller one.
void BlendThreeValues(double volumeX, int endsX, double volumeY, int endsY, double volumeZ,
                      int endsZ, double* out);

// Threads that cut one position together (the caller's thread among them); 0, the default, is one
// per processor. Every result is the same for any count.
extern int g_CutThreadCount;
void SetCuttingThreadCount(int count);
// A position uses one more thread for every this many rays in its ranges (tests lower it to run
// small cuts on several threads).
constexpr int CUT_RAYS_PER_THREAD = 256;
extern int g_CutRaysPerThread;

// --- Set-up helpers for callers outside a run (jogs, tests, benchmarks) ---------------------------
// Publishes the direction blocks of work, marks it defined and taking part (g_WorkDefined 1,
// g_WorkState 0) and switches the cut code on.
void PrepareWorkForCutting(WorkModel* work);
// Puts tool (with its length and holder records, as the tool-table reader leaves them: defined 1,
// type, diameter, radii, cuttingLength and readCuttingLength ...) into slot `number` of the tool
// arrays (allocating them when there are none or too few), gives it pen 0..15 and no length shift,
// and makes it current with SelectCurrentTool. Returns SelectCurrentTool's result, or -1 for a
// number below 0. length or arbor may be null (no length definition, no holder).
int MakeCuttingToolCurrent(int number, const ToolRecord* tool, const ToolLengthRecord* length,
                           const ArborRecord* arbor, int pen);
// Colour and tag of the next cut as the move stepping sets them: both g_CutColour bytes = the tool's
// pen attribute, with bit 0 in a rapid move (g_MotionKind 0) unless g_CycleRapidInHole; both
// g_CutLineTag = lineTag.
void SetCutColourAndTag(int32_t lineTag);
