// Work files: the tri-dexel ".DME" (read and written) and the height field ".DMF" (read only), and
// the entry points LoadWorkModel / SaveWorkModel through which every work file and STL work passes.
// Compressed files (".DMEZ", ".DMFZ") are unpacked in memory and read by the same readers; the
// compression itself and the shell's load and save steps are in compressed_work_files.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>
#include "platform/ui/ui_types.h"
#include "work_model/stl_import_placement.h"
#include "work_model/work_model.h"

// Results of the loaders and of SaveWorkModel besides 1 and the allocation codes of
// AllocateWorkModelArrays (and WORK_GRID_OVER_MEMORY / WORK_GRID_NO_MEMORY for a grid that does not
// fit in memory; the loader then shows a message naming the memory needed). The shell shows
// "Data Destroyed!" for WORK_FILE_DATA_ERROR.
enum {
    WORK_FILE_DATA_ERROR = -20,       // data that cannot be used: bad header numbers, odd, negative
                                      // grid or oversized counts, ends out of order, a file shorter than
                                      // its counts, a corrupt compressed file, an unknown path ending
    WORK_FILE_OPEN_FAILED = -21,      // the file cannot be opened or read
    WORK_FILE_NOT_COMPRESSED = -22,   // named ".DMEZ" / ".DMFZ" but not compressed ("Broken Data?")
    WORK_FILE_NO_COMPRESSION = -23,   // compressed but no codec ("Please run on Windows 8 or later.")
    WORK_FILE_WRITE_FAILED = -24,     // the file could not be written; an earlier file is kept
};

// Kind of content a buffer holds (LoadWorkModelFromBuffer).
enum { WORK_CONTENT_DME = 1, WORK_CONTENT_DMF = 2 };

// Bytes of a ".DME" before its first dexel, and per-end bytes of a dexel (end, attribute, value).
enum { DME_HEADER_BYTES = 152, DME_BYTES_PER_END = 13 };

// Placement letter of a ".DME" header: 1 'M', 2 'W', 3 'N', 0 anything else (or no 12 bytes).
int GetWorkFileKind(const char* path);
int GetWorkFileKindOfBuffer(const uint8_t* data, size_t size);

// Reads a work file into work (arrays it held are released first). The kind comes from the path's
// ending, without regard to case: ".DME" / ".DMEZ", ".DMF" / ".DMFZ" (either plain or compressed;
// a compressed file is unpacked in memory), ".STL" (STL works). placement is an input for ".DMF"
// and ".STL"; pitch and axisCode matter for ".STL" only. frame is the active work coordinate system
// with the "IMPORT COORDINATE" choice (".DMF" and ".STL" in work coordinates are placed at it); the
// caller hands it in (machine_setup/controller/work_coordinates.h, GetActiveImportFrame); null is
// the machine frame. Returns 1, or a negative code with nodeCountX 0 and no arrays kept: WORK_FILE_*
// (an unknown ending gives WORK_FILE_DATA_ERROR) or an allocation code. Sets the status bar's first
// part to "" on success.
int LoadWorkModel(WindowHandle owner, WorkModel* work, const char* path, double placement[12],
                  double pitch, int axisCode, const ImportFrame* frame);
// LoadWorkModel with the identity placement, in the machine frame.
int LoadWorkModelIdentity(WindowHandle owner, WorkModel* work, const char* path, double pitch,
                          int axisCode);
// Reads a ".DME" with a placement (its 12-byte header skipped). With frame->inWorkCoordinates set,
// the stored placement is composed with the frame's work coordinate system (undoing a "V1.0W"
// save); null or not set keeps the stored placement. Results as LoadWorkModel.
int LoadWorkModelDme(WorkModel* work, const char* path, const ImportFrame* frame);

// The same readers on a whole file held in memory (uncompressed content; kind WORK_CONTENT_DME or
// WORK_CONTENT_DMF).
int LoadWorkModelFromBuffer(WindowHandle owner, WorkModel* work, const uint8_t* data, size_t size,
                            int contentKind, const double placement[12], const ImportFrame* frame);
int LoadWorkModelDmeFromBuffer(WorkModel* work, const uint8_t* data, size_t size,
                               const ImportFrame* frame);

// Writes the work as ".DME", ".DMEZ" (compressed) or STL by the path's ending (without regard to
// case). With inWorkCoordinates set and a shifted or rotated work frame the placement is written in
// the work frame ("V1.0W"; "V1.0N" when the frame is zero and unturned, "V1.0M" when not asked).
// Callers pass g_ExportInWorkCoordinates, g_WorkCoordRotated, g_ActiveWorkInverseRotation and
// g_ActiveWorkOrigin. The file is written under a temporary name and renamed over the target, so a
// failed save leaves an earlier file as it was. Returns 1, WORK_FILE_WRITE_FAILED,
// WORK_FILE_DATA_ERROR (unknown ending or no work), WORK_FILE_NO_COMPRESSION, or what the STL writer gives.
int SaveWorkModel(const WorkModel* work, const char* path, int stlFormat, int inWorkCoordinates,
                  int rotated, const double inverseRotation[9], const double workOrigin[3]);
// The whole ".DME" content in memory (header and placement chosen as SaveWorkModel does).
// Returns 1, or WORK_FILE_DATA_ERROR for a record without work, WORK_FILE_WRITE_FAILED without memory.
int SerializeWorkModelDme(const WorkModel* work, int inWorkCoordinates, int rotated,
                          const double inverseRotation[9], const double workOrigin[3],
                          std::vector<uint8_t>* out);

// Writes one family (counts, then per ray its ends, attribute bytes and values) to stream.
// Returns 1, or 0 when a write failed.
int WriteDexelFamily(FILE* stream, int capacity, int rayCount, const int32_t* counts,
                     const double* ends, const uint8_t* attributes, const int32_t* values);

// Replaces minCorner / maxCorner by the axis-aligned box of the eight corners of that box placed by
// the work's placement (starting from 1e11 / -1e11).
void BoundTransformedGrid(const WorkModel* work, double minCorner[3], double maxCorner[3]);

// Test and fuzz hook: refuse (WORK_GRID_OVER_MEMORY) any work whose arrays would need more than this
// many bytes; 0 (the default) takes the machine's physical memory as the limit.
void SetWorkFileMemoryLimitForTest(uint64_t bytes);
