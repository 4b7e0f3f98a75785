// Pieces shared by the ".DME" and ".DMF" readers (work_files.cpp, dmf_file.cpp): the content
// readers over a byte source, the end of a load and the grid set-up codes.
#pragma once
#include "work_model/stl_import_placement.h"
#include "work_model/work_file_io.h"
#include "work_model/work_model.h"

// Reads one ".DME" family: per ray the count, then its ends, attribute bytes and values. The corner
// components get the smallest first and the largest last end; then the intervals are clipped to
// [lowerBound, upperBound] (those wholly outside, or left without length, are dropped). Negative counts read as empty rays; odd counts, counts above
// DEXEL_MAX_ENDS, ends that are not finite or fall below the end before them, and a source shorter
// than the counts give WORK_FILE_DATA_ERROR; WORK_GRID_NO_MEMORY when a long ray's arrays cannot be
// obtained. Rays read so far stay stored. Every rowLength rays report one row of progress.
int ReadDexelFamily(WorkFileSource* source, int capacity, int rayCount, int32_t* counts,
                    double* ends, uint8_t* attributes, int32_t* values, double upperBound,
                    double* maxCorner, double lowerBound, double* minCorner, int rowLength);
// Reads ".DMF" content into an emptied record, placed at placement, or at frame's work coordinate
// system when frame->inWorkCoordinates is set. Returns 1 or a negative code (caller empties the
// record).
int ReadDmfContent(WorkModel* work, WorkFileSource* source, const double placement[12],
                   const ImportFrame* frame);
// Grid set-up codes as the loaders report them: bad counts or pitch are data errors; a grid beyond
// the machine's memory or an allocation that failed keeps its own code.
int MapGridCodeForLoad(int code);
// Reports a row of dexels read to the progress and pumps messages when long loops may.
void ReportRowProgress(int bytes);
