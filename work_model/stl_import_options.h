// Import options of the next STL file read as a work or a basic model (scale and mirror), set by the
// command line and macros before the load command runs; the STL work reader reads them.
#pragma once

// Written by the user-interface thread (command line, macros); read by the STL work reader.
extern int g_StlScaleEnabled[3];      // per axis X, Y, Z: 1 scales by g_StlScaleFactors
extern double g_StlScaleFactors[3];   // scale factors (1.0 start)
extern double g_StlScaleCentre[3];    // centre of the scaling
extern int g_StlMirrorEnabled[3];     // per axis: 1 mirrors at g_StlMirrorPlanes
extern double g_StlMirrorPlanes[3];   // mirror plane positions

// Puts the options back to no scaling and no mirror.
void ResetStlImportOptions();
