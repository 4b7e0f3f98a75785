// Motion delivery: the values of the block snapshots that the block interpreter reads. The delivery
// itself (FetchNextMotion and the snapshot save and restore) is not here yet.
#pragma once

// The saved state of the block just handed out (only the fields the interpreter reads so far).
struct NcBlockSnapshot {
    double secondRotationAngle;   // g_SecondRotationAngle of the saved block
};
extern NcBlockSnapshot g_BlockSnapshot;
// 1 for a rapid of a canned cycle inside the hole: the cut it makes is not marked as made in rapid.
extern int g_CycleRapidInHole;
