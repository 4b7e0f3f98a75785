// FetchNcMotion: one call of motion delivery and the block end, read out into the drivers' record.
#include "nc/nc_motion.h"

#include "nc/block_end_position.h"
#include "nc/interpreter_state.h"
#include "nc/motion_delivery.h"

int FetchNcMotion(NcMotion* motion)
{
    *motion = NcMotion{};
    if (g_NcRunState >= NC_RUN_FINISHED || g_NcAlarmCode != 0) {
        motion->last = 1;
        motion->alarm = g_NcAlarmCode;
        return 0;
    }
    FetchNextMotion();
    FinishBlockPosition();
    motion->kind = g_MotionKind;
    int moved = g_MotionKind == MOTION_ARC_CW || g_MotionKind == MOTION_ARC_CCW;
    for (int a = 0; a < 3; ++a) {
        motion->start[a] = g_NcMoveStart.axis[a];
        motion->end[a] = g_NcMoveEnd.axis[a];
        if (motion->start[a] != motion->end[a]) moved = 1;
    }
    for (int r = 0; r < 2; ++r) {
        motion->rotaryStart[r] = g_NcMoveStart.axis[AXIS_ROTARY1 + r];
        motion->rotary[r] = g_NcMoveEnd.axis[AXIS_ROTARY1 + r];
        if (motion->rotaryStart[r] != motion->rotary[r]) moved = 1;
    }
    if (g_MotionKind == MOTION_ARC_CW || g_MotionKind == MOTION_ARC_CCW) {
        for (int a = 0; a < 3; ++a) motion->centre[a] = g_MoveArcCentre[a];
    }
    motion->plane = g_PlaneCode;
    motion->feed = g_FeedValues[0];
    motion->line = g_BlockLineNumber;
    motion->tool = g_SpindleToolNumber;
    motion->alarm = g_NcAlarmCode;
    motion->last = g_NcRunState >= NC_RUN_FINISHED || g_NcAlarmCode != 0;
    return moved;
}
