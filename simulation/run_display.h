// What a run shows while it goes on: the NC row and the axis values of the status panel, drawn by the
// view through the hooks it installs; the display wait of a step; the frame's minimised state.
// Without hooks the NC row is written into the frame's panel cell (the event core's panel model) and
// the axis values are left alone.
#pragma once

struct RunDisplayHooks {
    void (*drawNcBlockRow)();              // the NC row from g_NcRowState, g_LevelLineNumber, g_CurrentBlockText
    void (*drawAxisValuesPanel)(int force);
};
extern RunDisplayHooks g_RunDisplayHooks;  // installed by the view at start-up

// Panel cell of the frame that shows the NC row when no view draws it.
constexpr int RUN_NC_ROW_CELL = 1;

void DrawRunNcBlockRow();
void DrawRunAxisValues(int force);
// 1 while the frame window exists and is minimised: no panel drawing and no display waits then.
int IsFrameMinimised();
// The thread's side of the display handshake: raises g_StepDisplayWait and sleeps 5 ms per look until
// the frame's run poll cleared it; an abort clears it and ends the wait. clearStepRequest clears
// g_StepDisplayRequest right after the wait is raised.
void WaitForStepDisplay(int clearStepRequest);
