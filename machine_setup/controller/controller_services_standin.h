// Stand-ins for values of other subsystems that the controller definition and the work coordinate
// systems set, until their owners provide them (view). Each goes away when its owner's header has it.
#pragma once

// View: 1 asks the view to rebuild the axis triad with its work-origin marks at its next drawing.
extern unsigned char g_RebuildAxisTriad;
