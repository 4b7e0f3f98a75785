// Compressed work files (".DMEZ", ".DMFZ"): a whole ".DME" or ".DMF" in the LZMS buffer format of
// the Windows compression API, made and read by our own codec (platform/os/lzms_buffer.h). Also the
// steps the work-file commands take around the readers and writer: load a file that may be
// compressed, save a compressed work. Files are unpacked in memory; no temporary file is used.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>
#include "platform/ui/ui_types.h"
#include "work_model/stl_import_placement.h"
#include "work_model/work_model.h"

// wimlib's compression level for work files: the format is the same at every level; 20 is about four
// times as fast as the library's default (50) for a result some 15 % larger.
enum { WORK_FILE_COMPRESSION_LEVEL = 20 };

// Compresses the whole source file into destination (written under a temporary name, then renamed).
// Returns 1, -1 (no codec) or -2 (any other failure: the source is missing, 4 GB or larger, or the
// destination cannot be written; an earlier destination file is then kept).
int CompressFile(const char* sourcePath, const char* destinationPath);
// Decompresses a whole compressed file into destination. Results as CompressFile; a corrupt source
// writes "Cannot decompress data: %d.\n" to the standard output and leaves destination untouched.
int DecompressFile(const char* sourcePath, const char* destinationPath);
// 1 when the codec is available (kept for the run after the first call; always 1 in this build).
int CheckCompressionApi();
// 1 when the file's first byte is 0x0A (a compressed work file), else 0 (also missing or empty).
int IsCompressedFile(const char* path);

// Asked by LoadWorkFileForCommand when "DME SELECT" is on: fileKind is GetWorkFileKind's letter
// code (1 M, 2 W, 3 N), proposed the value it would give g_ImportInWorkCoordinates (0 or 1);
// returns the value to use.
typedef int (*ChooseImportCoordinatesFn)(int fileKind, int proposed);

// What the work-file command does with a chosen ".DME", ".DMEZ", ".DMF", ".DMFZ" or ".STL" file:
// a compressed content (first byte 0x0A, whatever the name) is unpacked in memory (a corrupt one
// gives WORK_FILE_DATA_ERROR); a ".DMEZ" / ".DMFZ" that is not compressed gives
// WORK_FILE_NOT_COMPRESSED ("Broken Data?"). A ".DME" content with a placement header read while the
// active work frame is shifted or rotated sets g_ImportInWorkCoordinates from its letter (M 0, W and
// N 1; chooser, when not null and g_DmeSelect is on, may change it) and is read with
// LoadWorkModelDme; everything else is read with LoadWorkModel at the identity placement
// (g_WorkPitchSetting, g_StlWorkAxisCode). workFrame is the active work coordinate system (the caller
// hands it in: machine_setup/controller/work_coordinates.h, GetActiveImportFrame; null is the machine
// frame); its inWorkCoordinates is not read: g_ImportInWorkCoordinates decides. Results as
// LoadWorkModel.
int LoadWorkFileForCommand(WindowHandle owner, WorkModel* work, const char* path,
                           ChooseImportCoordinatesFn chooser, const ImportFrame* workFrame);
// Saves the work as a compressed ".DME" content under path (whatever its ending): the content is
// made in memory, compressed and written under a temporary name renamed over path. Arguments as
// SaveWorkModel. Returns 1, WORK_FILE_WRITE_FAILED, WORK_FILE_DATA_ERROR (no work) or
// WORK_FILE_NO_COMPRESSION.
int SaveWorkModelCompressed(const WorkModel* work, const char* path, int inWorkCoordinates,
                            int rotated, const double inverseRotation[9],
                            const double workOrigin[3]);
// The compressed content of a whole buffer at WORK_FILE_COMPRESSION_LEVEL; 1 or 0 (no memory).
int CompressWorkFileBuffer(const uint8_t* data, size_t size, std::vector<uint8_t>* out);
