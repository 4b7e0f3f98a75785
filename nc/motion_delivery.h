// Motion delivery: the values of the block snapshots that the block interpreter reads. The delivery
// itself (FetchNextMotion and the snapshot save and restore) is not here yet.
#pragma once

// The saved state of the block just handed out (only the fields the interpreter reads so far).
struct NcBlockSnapshot {
    double secondRotationAngle;   // g_SecondRotationAngle of the saved block
};
extern NcBlockSnapshot g_BlockSnapshot;
