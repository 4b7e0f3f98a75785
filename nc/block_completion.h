// Block completion: what needs the whole block once its words are read: coordinate rotation, the
// tool-axis vector of the vector mode, the arc geometry, the coordinate setting of G92, G52 and OSP
// G16, the tilted working plane and the zero-feed alarm.
#pragma once

// Runs the completion steps in order at the end of InterpretNcBlock.
void CompleteNcBlock();

// Arc geometry of an arc block (motion kind 2 or 3) from the block's centre words or radius: centre,
// start and end directions and radii, sweep (g_FeedValues[1]) and arc length; NC alarm 1 when start
// and end radius differ by "R-TOLERANCE" or more.
void ComputeArcGeometry();
// Arc geometry from a given centre g_ArcCentre (reader plug-in blocks), sense from g_MotionKind.
void ComputeArcFromCentre();
// Wire machines: widens the arc length (in/out) to the longer guide path of a tapered arc.
void AdjustWireArcLength(double* arcLength, double sweep, double startRadius, double endRadius);

// Cosine and sine of an angle in degrees, exact for 0, +-90, +-180, +-270 and +-360.
void ExactCosSin(double angleDeg, double* cosine, double* sine);
