// The ".DME" reader and writer and the entry points LoadWorkModel / SaveWorkModel, which choose the
// reader or writer by the path's ending. Compressed content is unpacked in memory before reading;
// every count and end is checked against the file before it is used.
#include "work_model/work_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/ui/shell_services.h"
#include "work_model/work_values.h"
#include "platform/os/files.h"
#include "platform/os/lzms_buffer.h"
#include "platform/os/paths.h"
#include "platform/ui/progress.h"
#include "platform/ui/message_box.h"
#include "work_model/compressed_work_files.h"
#include "work_model/dexel_intervals.h"
#include "work_model/file_routines.h"
#include "work_model/geometry.h"
#include "work_model/matrix.h"
#include "work_model/pens_paint.h"
#include "work_model/stl_work.h"
#include "work_model/work_file_io.h"
#include "work_model/work_files_internal.h"

namespace {

const double kIdentityPlacement[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
// The machine frame: what a null frame stands for.
const ImportFrame kMachineFrame = {0, 0, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}};
const char kHeaderM[] = "V1.0M       ";
const char kHeaderN[] = "V1.0N       ";
const char kHeaderW[] = "V1.0W       ";
enum { DME_HEADER_TEXT_BYTES = 12 };

// Placement handling of a ".DME" read: LoadWorkModel checks the header and snaps the placement;
// LoadWorkModelDme reads it as stored, composed with the work frame when asked.
enum DmePlacementMode { DME_PLACEMENT_CHECKED = 0, DME_PLACEMENT_AS_STORED = 1,
                        DME_PLACEMENT_IN_WORK_FRAME = 2 };

bool AreFinite(const double* values, int n)
{
    for (int i = 0; i < n; i++)
        if (!std::isfinite(values[i])) return false;
    return true;
}

bool StartsWithVersionText(const char* header)
{
    static const char version[] = "V1.0";
    for (int i = 0; i < 4; i++)
        if (std::toupper(uint8_t(header[i])) != version[i]) return false;
    return true;
}

// Reads the header and the placement into work. Returns 1 or WORK_FILE_DATA_ERROR.
int ReadDmePlacement(WorkModel* work, WorkFileSource* source, int mode, const ImportFrame* frame)
{
    char header[DME_HEADER_TEXT_BYTES];
    if (!ReadSourceBytes(source, header, sizeof header)) return WORK_FILE_DATA_ERROR;
    double placement[12];
    if (mode == DME_PLACEMENT_CHECKED && !StartsWithVersionText(header)) {
        std::memcpy(placement, kIdentityPlacement, sizeof placement);
    } else {
        double stored[12];
        if (!ReadSourceDoubles(source, stored, 12) || !AreFinite(stored, 12))
            return WORK_FILE_DATA_ERROR;
        if (mode == DME_PLACEMENT_CHECKED) {
            SnapRotationMatrix(stored, placement);
        } else {
            std::memcpy(placement, stored, sizeof placement);
            if (mode == DME_PLACEMENT_IN_WORK_FRAME) {
                // Undo the "V1.0W" save: back from the work frame into the machine frame.
                if (frame->workRotated) {
                    MultiplyMatrix3(stored, frame->rotation, placement);
                    RotateVector(frame->rotation, stored + 9, placement + 9);
                }
                for (int k = 0; k < 3; k++) placement[9 + k] += frame->origin[k];
            }
        }
    }
    std::memcpy(work->rotation, placement, sizeof work->rotation);
    std::memcpy(work->translation, placement + 9, sizeof work->translation);
    return 1;
}

// Scratch arrays for one long ray (at most DEXEL_MAX_ENDS ends).
struct DexelScratch {
    std::vector<double> ends;
    std::vector<uint8_t> attributes;
    std::vector<int32_t> values;
};

// Reads the ends, attributes and values of one ray of n ends (2 .. DEXEL_MAX_ENDS, even) and checks
// the ends: finite and each at or above the one before. Returns 1 or WORK_FILE_DATA_ERROR.
int ReadDexelEntries(WorkFileSource* source, int n, double* ends, uint8_t* attributes,
                     int32_t* values)
{
    if (!ReadSourceDoubles(source, ends, n) || !ReadSourceBytes(source, attributes, size_t(n)) ||
        !ReadSourceInt32s(source, values, n))
        return WORK_FILE_DATA_ERROR;
    if (!std::isfinite(ends[0])) return WORK_FILE_DATA_ERROR;
    for (int e = 1; e < n; e++)
        if (!std::isfinite(ends[e]) || ends[e] < ends[e - 1]) return WORK_FILE_DATA_ERROR;
    return 1;
}

// Clips the intervals of one ray (n ends, in order) to the grid's span [lower, upper]: an interval
// that lies wholly outside, or that clipping leaves without length, is dropped with its attributes
// and values; the others end at the span's bounds. Returns the count of ends kept.
int ClipIntervalsToGrid(double* ends, uint8_t* attributes, int32_t* values, int n, double lower,
                        double upper)
{
    int kept = 0;
    for (int e = 0; e + 1 < n; e += 2) {
        const double start = std::max(ends[e], lower);
        const double end = std::min(ends[e + 1], upper);
        if (start > end) continue;
        if (start == end && (start != ends[e] || end != ends[e + 1])) continue;
        ends[kept] = start;
        ends[kept + 1] = end;
        attributes[kept] = attributes[e];
        attributes[kept + 1] = attributes[e + 1];
        values[kept] = values[e];
        values[kept + 1] = values[e + 1];
        kept += 2;
    }
    return kept;
}

}  // namespace

int MapGridCodeForLoad(int code)
{
    return code == WORK_GRID_NO_MEMORY || code == WORK_GRID_OVER_MEMORY ? code : WORK_FILE_DATA_ERROR;
}

void ReportRowProgress(int bytes)
{
    AddProgress(bytes);
    UpdateProgress(0);
    if (g_PumpMessagesInLoops) PumpMessagesDuringWork();
}

int ReadDexelFamily(WorkFileSource* source, int capacity, int rayCount, int32_t* counts,
                    double* ends, uint8_t* attributes, int32_t* values, double upperBound,
                    double* maxCorner, double lowerBound, double* minCorner, int rowLength)
{
    *maxCorner = -99999999999.0;
    *minCorner = 99999999999.0;
    MarkDexelStorageChanged();
    DexelScratch scratch;
    uint64_t rowStart = source->position;
    for (int d = 0; d < rayCount; d++) {
        int32_t n;
        if (!ReadSourceInt32(source, &n)) return WORK_FILE_DATA_ERROR;
        if (n > 0) {
            if ((n & 1) != 0 || n > DEXEL_MAX_ENDS ||
                uint64_t(n) * DME_BYTES_PER_END > GetSourceRemaining(source))
                return WORK_FILE_DATA_ERROR;
            double* target = ends + size_t(d) * size_t(capacity);
            uint8_t* targetAttributes = attributes + size_t(d) * size_t(capacity);
            int32_t* targetValues = values + size_t(d) * size_t(capacity);
            if (n > capacity) {
                scratch.ends.resize(size_t(n));
                scratch.attributes.resize(size_t(n));
                scratch.values.resize(size_t(n));
                target = scratch.ends.data();
                targetAttributes = scratch.attributes.data();
                targetValues = scratch.values.data();
            }
            const int result = ReadDexelEntries(source, n, target, targetAttributes, targetValues);
            if (result != 1) return result;
            *minCorner = std::min(*minCorner, target[0]);
            *maxCorner = std::max(*maxCorner, target[n - 1]);
            const int kept = ClipIntervalsToGrid(target, targetAttributes, targetValues, n, lowerBound,
                                                 upperBound);
            if (n > capacity) {
                if (!StoreDexel(d, capacity, counts, ends, attributes, values, target,
                                targetAttributes, targetValues, kept))
                    return WORK_GRID_NO_MEMORY;
            } else {
                counts[d] = kept;
            }
        } else {
            counts[d] = 0;
        }
        if (rowLength > 0 && (d + 1) % rowLength == 0) {
            ReportRowProgress(int(std::min<uint64_t>(source->position - rowStart, INT32_MAX)));
            rowStart = source->position;
        }
    }
    return 1;
}

namespace {

// Reads the grid numbers, sets up and allocates the grid. Returns 1 or a negative code.
int ReadDmeGrid(WorkModel* work, WorkFileSource* source)
{
    int32_t nodes[3];
    if (!ReadSourceInt32s(source, nodes, 3)) return WORK_FILE_DATA_ERROR;
    if (nodes[0] < 0 || nodes[1] < 0 || nodes[2] < 0) return WORK_FILE_DATA_ERROR;
    // Each ray takes at least its 4-byte count: a file shorter than that cannot hold the grid.
    const uint64_t rays = uint64_t(nodes[0]) * uint64_t(nodes[1]) +
                          uint64_t(nodes[0]) * uint64_t(nodes[2]) +
                          uint64_t(nodes[1]) * uint64_t(nodes[2]);
    if (GetSourceRemaining(source) < 32 || (GetSourceRemaining(source) - 32) / 4 < rays)
        return WORK_FILE_DATA_ERROR;
    double numbers[4];  // pitch, origin x, y, z
    if (!ReadSourceDoubles(source, numbers, 4) || !AreFinite(numbers, 4)) return WORK_FILE_DATA_ERROR;
    work->nodeCountX = nodes[0];
    work->nodeCountY = nodes[1];
    work->nodeCountZ = nodes[2];
    work->pitch = numbers[0];
    int result = SetUpWorkGrid(work);
    if (result != 1) return MapGridCodeForLoad(result);
    work->originX = numbers[1];
    work->originY = numbers[2];
    work->originZ = numbers[3];
    return AllocateWorkModelArrays(work);
}

// The three families in file order: Z-rays, Y-rays, X-rays.
int ReadDmeFamilies(WorkModel* work, WorkFileSource* source)
{
    const int axes[3] = {2, 1, 0};
    for (int axis : axes) {
        DexelFamily* family = axis == 2 ? &work->familyZ : axis == 1 ? &work->familyY : &work->familyX;
        const double* coordinates = axis == 2 ? work->coordinatesZ
                                  : axis == 1 ? work->coordinatesY : work->coordinatesX;
        const int nodes = axis == 2 ? work->nodeCountZ : axis == 1 ? work->nodeCountY : work->nodeCountX;
        const int rowLength = axis == 2 ? work->nodeCountX : axis == 1 ? work->nodeCountZ : work->nodeCountY;
        const int result = ReadDexelFamily(source, family->capacity, family->rayCount,
                                           family->counts, family->ends, family->attributes,
                                           family->values, coordinates[nodes - 1],
                                           &work->maxCorner[axis], coordinates[0],
                                           &work->minCorner[axis], rowLength);
        if (result != 1) return result;
    }
    return 1;
}

// The settings an STL work load uses: the given frame ("IMPORT COORDINATE" and the active work
// coordinate system), "STL FILTER" and "STL MATRIX".
void GetStlWorkLoadOptions(const ImportFrame* frame, StlWorkLoadOptions* options)
{
    options->frame = *frame;
    options->stlFilter = g_StlFilter;
    options->placementFile = g_StlMatrixText;
}

// Empties the record after a failed load.
int FailLoad(WorkModel* work, int code)
{
    DestroyWorkModel(work);
    work->nodeCountX = 0;
    return code;
}

// The end of every successful load: inverse placement, hasPlacement, status text.
int FinishLoad(WorkModel* work)
{
    InvertMatrix3(work->rotation, work->inverseRotation);
    for (int k = 0; k < 3; k++) work->inverseTranslation[k] = -work->translation[k];
    UpdateWorkHasPlacement(work);
    SetStatusBarText(0, "");
    return 1;
}

int ReadDmeContent(WorkModel* work, WorkFileSource* source, int placementMode,
                   const ImportFrame* frame)
{
    int result = ReadDmePlacement(work, source, placementMode, frame);
    if (result == 1) result = ReadDmeGrid(work, source);
    if (result == 1) result = ReadDmeFamilies(work, source);
    if (result != 1) return result;
    BoundTransformedGrid(work, work->minCorner, work->maxCorner);
    return 1;
}

// Tells the user that the grid a file asks for needs more memory than the machine has.
void ShowWorkMemoryMessage(WindowHandle owner, const WorkModel* work, const char* path)
{
    const int32_t nodes[3] = {work->nodeCountX, work->nodeCountY, work->nodeCountZ};
    const double needed = double(EstimateWorkMemoryBytes(nodes, work->undoLevels)) / (1 << 30);
    const double present = double(GetWorkMemoryLimit()) / (1 << 30);
    char text[1024];
    if (g_EnglishUi) {
        std::snprintf(text, sizeof text,
                      "%s%sThe work's grid of %d x %d x %d nodes needs %.1f GB of memory, more than this "
                      "computer has (%.1f GB). The file is not loaded.",
                      path, path[0] != '\0' ? "\n" : "", nodes[0], nodes[1], nodes[2], needed, present);
    } else {
        std::snprintf(text, sizeof text,
                      "%s%sワークのグリッド(%d x %d x %d 節点)には %.1f GB のメモリが必要で、"
                      "このコンピュータのメモリ(%.1f GB)を超えるため読み込みません。",
                      path, path[0] != '\0' ? "\n" : "", nodes[0], nodes[1], nodes[2], needed, present);
    }
    ShowUiMessageBox(owner, text, g_ProgramCaption, MB_OK | MB_ICONERROR);
}

// Reads content of the given kind (DME with a placement mode, or DMF) into an emptied record.
int ReadWorkContent(WindowHandle owner, WorkModel* work, WorkFileSource* source, int contentKind,
                    int placementMode, const double placement[12], const ImportFrame* frame,
                    const char* path)
{
    BeginProgress(owner, 1, source->size, path, 1, "WORK読み込み中", "Reading WORK");
    const int result = contentKind == WORK_CONTENT_DMF
                           ? ReadDmfContent(work, source, placement, frame)
                           : ReadDmeContent(work, source, placementMode, frame);
    EndProgress();
    if (result == WORK_GRID_OVER_MEMORY) ShowWorkMemoryMessage(owner, work, path != nullptr ? path : "");
    if (result != 1) return FailLoad(work, result);
    return FinishLoad(work);
}

int GetContentKindOfPath(const char* path)
{
    if (HasFileExtension(path, ".DME") || HasFileExtension(path, ".DMEZ")) return WORK_CONTENT_DME;
    if (HasFileExtension(path, ".DMF") || HasFileExtension(path, ".DMFZ")) return WORK_CONTENT_DMF;
    return 0;
}

// Opens path and reads its content: compressed content is unpacked into *unpacked and read from
// memory, plain content from the stream. A name ending in "Z" whose content is not compressed is
// refused. Returns 1, WORK_FILE_OPEN_FAILED, WORK_FILE_NOT_COMPRESSED or WORK_FILE_DATA_ERROR.
int LoadWorkFileContent(WindowHandle owner, WorkModel* work, const char* path, int contentKind,
                        int placementMode, const double placement[12], const ImportFrame* frame)
{
    DestroyWorkModel(work);
    FILE* stream = OpenFile(path, "rb");
    if (!stream) return FailLoad(work, WORK_FILE_OPEN_FAILED);
    // A read buffer of up to 1 MB, no larger than the file; it outlives the stream (closed below).
    const int64_t fileSize = GetFileSizeBytes(MakeNativePath(path).c_str());
    const size_t bufferSize = size_t(std::min<int64_t>(std::max<int64_t>(fileSize, 4096), 1 << 20));
    std::unique_ptr<char[]> streamBuffer(new char[bufferSize]);
    std::setvbuf(stream, streamBuffer.get(), _IOFBF, bufferSize);
    const bool namedCompressed = HasFileExtension(path, ".DMEZ") || HasFileExtension(path, ".DMFZ");
    const int first = std::fgetc(stream);
    if (first == 0x0A) {
        std::fclose(stream);
        if (!CheckCompressionApi()) return FailLoad(work, WORK_FILE_NO_COMPRESSION);
        std::string packed;
        if (!ReadWholeFile(path, &packed)) return FailLoad(work, WORK_FILE_OPEN_FAILED);
        std::vector<uint8_t> content;
        if (DecompressLzmsBuffer(reinterpret_cast<const uint8_t*>(packed.data()), packed.size(),
                                 &content) != LZMS_OK)
            return FailLoad(work, WORK_FILE_DATA_ERROR);
        std::string().swap(packed);
        WorkFileSource source;
        InitMemorySource(&source, content.data(), content.size());
        return ReadWorkContent(owner, work, &source, contentKind, placementMode, placement, frame,
                               path);
    }
    if (namedCompressed) {
        std::fclose(stream);
        return FailLoad(work, WORK_FILE_NOT_COMPRESSED);
    }
    WorkFileSource source;
    int result = InitStreamSource(&source, stream) ? 1 : WORK_FILE_OPEN_FAILED;
    if (result == 1)
        result = ReadWorkContent(owner, work, &source, contentKind, placementMode, placement, frame,
                                 path);
    else
        FailLoad(work, result);
    std::fclose(stream);
    return result;
}

}  // namespace

int GetWorkFileKindOfBuffer(const uint8_t* data, size_t size)
{
    if (!data || size < DME_HEADER_TEXT_BYTES) return 0;
    return data[4] == 'M' ? 1 : data[4] == 'W' ? 2 : data[4] == 'N' ? 3 : 0;
}

int GetWorkFileKind(const char* path)
{
    FILE* stream = OpenFile(path, "rb");
    if (!stream) return 0;
    uint8_t header[DME_HEADER_TEXT_BYTES];
    const size_t count = std::fread(header, 1, sizeof header, stream);
    std::fclose(stream);
    return GetWorkFileKindOfBuffer(header, count);
}

int LoadWorkModel(WindowHandle owner, WorkModel* work, const char* path, double placement[12],
                  double pitch, int axisCode, const ImportFrame* frame)
{
    if (!frame) frame = &kMachineFrame;
    if (HasFileExtension(path, ".STL")) {
        DestroyWorkModel(work);
        StlWorkLoadOptions options;
        GetStlWorkLoadOptions(frame, &options);
        const int result = LoadStlWorkModel(owner, work, path, placement, pitch, axisCode, &options);
        if (result != 1) return FailLoad(work, result);
        GetWorkExtents(work, work->minCorner, work->maxCorner);
        return FinishLoad(work);
    }
    const int contentKind = GetContentKindOfPath(path);
    if (contentKind == 0) {
        DestroyWorkModel(work);
        return FailLoad(work, WORK_FILE_DATA_ERROR);
    }
    return LoadWorkFileContent(owner, work, path, contentKind, DME_PLACEMENT_CHECKED, placement,
                               frame);
}

int LoadWorkModelIdentity(WindowHandle owner, WorkModel* work, const char* path, double pitch,
                          int axisCode)
{
    double placement[12];
    std::memcpy(placement, kIdentityPlacement, sizeof placement);
    return LoadWorkModel(owner, work, path, placement, pitch, axisCode, nullptr);
}

int LoadWorkModelDme(WorkModel* work, const char* path, const ImportFrame* frame)
{
    if (!frame) frame = &kMachineFrame;
    const int mode = frame->inWorkCoordinates ? DME_PLACEMENT_IN_WORK_FRAME : DME_PLACEMENT_AS_STORED;
    return LoadWorkFileContent(g_MainWindow, work, path, WORK_CONTENT_DME, mode, kIdentityPlacement,
                               frame);
}

int LoadWorkModelFromBuffer(WindowHandle owner, WorkModel* work, const uint8_t* data, size_t size,
                            int contentKind, const double placement[12], const ImportFrame* frame)
{
    if (!frame) frame = &kMachineFrame;
    DestroyWorkModel(work);
    if (!data || (contentKind != WORK_CONTENT_DME && contentKind != WORK_CONTENT_DMF))
        return FailLoad(work, WORK_FILE_DATA_ERROR);
    WorkFileSource source;
    InitMemorySource(&source, data, size);
    return ReadWorkContent(owner, work, &source, contentKind, DME_PLACEMENT_CHECKED,
                           placement ? placement : kIdentityPlacement, frame, "");
}

int LoadWorkModelDmeFromBuffer(WorkModel* work, const uint8_t* data, size_t size,
                               const ImportFrame* frame)
{
    if (!frame) frame = &kMachineFrame;
    DestroyWorkModel(work);
    if (!data) return FailLoad(work, WORK_FILE_DATA_ERROR);
    WorkFileSource source;
    InitMemorySource(&source, data, size);
    const int mode = frame->inWorkCoordinates ? DME_PLACEMENT_IN_WORK_FRAME : DME_PLACEMENT_AS_STORED;
    return ReadWorkContent(g_MainWindow, work, &source, WORK_CONTENT_DME, mode, kIdentityPlacement,
                           frame, "");
}

void BoundTransformedGrid(const WorkModel* work, double minCorner[3], double maxCorner[3])
{
    double low[3] = {1e11, 1e11, 1e11}, high[3] = {-1e11, -1e11, -1e11};
    for (int corner = 0; corner < 8; corner++) {
        const double point[3] = {(corner & 1) ? maxCorner[0] : minCorner[0],
                                 (corner & 2) ? maxCorner[1] : minCorner[1],
                                 (corner & 4) ? maxCorner[2] : minCorner[2]};
        double placed[3];
        TransformPoint(work->rotation, work->translation, point, placed);
        for (int k = 0; k < 3; k++) {
            low[k] = std::min(low[k], placed[k]);
            high[k] = std::max(high[k], placed[k]);
        }
    }
    for (int k = 0; k < 3; k++) {
        minCorner[k] = low[k];
        maxCorner[k] = high[k];
    }
}

// ---- Writing ------------------------------------------------------------------------------------

namespace {

void WriteFamilyToSink(WorkFileSink* sink, int capacity, int rayCount, const int32_t* counts,
                       const double* ends, const uint8_t* attributes, const int32_t* values)
{
    for (int d = 0; d < rayCount; d++) {
        const int n = counts[d];
        WriteSinkInt32(sink, n);
        if (n <= 0) continue;
        const size_t base = size_t(d) * size_t(capacity);
        const double* rayEnds = ends + base;
        const uint8_t* rayAttributes = attributes + base;
        const int32_t* rayValues = values + base;
        if (n > capacity) {
            rayEnds = GetDexelEndsPointer(d, capacity, counts, const_cast<double*>(ends));
            rayAttributes = GetDexelAttributesPointer(d, capacity, counts, ends, const_cast<uint8_t*>(attributes));
            rayValues = GetDexelValuesPointer(d, capacity, counts, const_cast<int32_t*>(values));
        }
        WriteSinkDoubles(sink, rayEnds, n);
        WriteSinkBytes(sink, rayAttributes, size_t(n));
        WriteSinkInt32s(sink, rayValues, n);
        if (sink->failed) return;
    }
}

// The header text and the placement to store (SaveWorkModel step 2).
void ChooseSavedPlacement(const WorkModel* work, int inWorkCoordinates, int rotated,
                          const double inverseRotation[9], const double workOrigin[3],
                          const char** header, double placement[12])
{
    std::memcpy(placement, work->rotation, 9 * sizeof(double));
    std::memcpy(placement + 9, work->translation, 3 * sizeof(double));
    if (!inWorkCoordinates) {
        *header = kHeaderM;
        return;
    }
    if (workOrigin[0] == 0.0 && workOrigin[1] == 0.0 && workOrigin[2] == 0.0 && !rotated) {
        *header = kHeaderN;
        return;
    }
    *header = kHeaderW;
    double shifted[3];
    for (int k = 0; k < 3; k++) shifted[k] = work->translation[k] - workOrigin[k];
    if (rotated) {
        MultiplyMatrix3(work->rotation, inverseRotation, placement);
        RotateVector(inverseRotation, shifted, placement + 9);
    } else {
        std::memcpy(placement + 9, shifted, sizeof shifted);
    }
}

uint64_t CountFamilyBytes(const DexelFamily* family)
{
    uint64_t bytes = 4 * uint64_t(family->rayCount);
    for (int d = 0; d < family->rayCount; d++)
        if (family->counts[d] > 0) bytes += DME_BYTES_PER_END * uint64_t(family->counts[d]);
    return bytes;
}

void WriteDmeContent(const WorkModel* work, WorkFileSink* sink, int inWorkCoordinates, int rotated,
                     const double inverseRotation[9], const double workOrigin[3])
{
    const char* header;
    double placement[12];
    ChooseSavedPlacement(work, inWorkCoordinates, rotated, inverseRotation, workOrigin, &header,
                         placement);
    WriteSinkBytes(sink, header, DME_HEADER_TEXT_BYTES);
    WriteSinkDoubles(sink, placement, 12);
    const int32_t nodes[3] = {work->nodeCountX, work->nodeCountY, work->nodeCountZ};
    WriteSinkInt32s(sink, nodes, 3);
    const double numbers[4] = {work->pitch, work->originX, work->originY, work->originZ};
    WriteSinkDoubles(sink, numbers, 4);
    const DexelFamily* families[3] = {&work->familyZ, &work->familyY, &work->familyX};
    for (const DexelFamily* f : families)
        WriteFamilyToSink(sink, f->capacity, f->rayCount, f->counts, f->ends, f->attributes, f->values);
}

bool HasWork(const WorkModel* work)
{
    return work->nodeCountX > 0 && work->familyZ.counts && work->familyY.counts && work->familyX.counts;
}

int SaveDmeFile(const WorkModel* work, const char* path, int inWorkCoordinates, int rotated,
                const double inverseRotation[9], const double workOrigin[3])
{
    if (!HasWork(work)) return WORK_FILE_DATA_ERROR;
    FileRewrite rewrite;
    if (!BeginFileRewrite(path, &rewrite)) return WORK_FILE_WRITE_FAILED;
    WorkFileSink sink;
    sink.stream = rewrite.stream;
    sink.failed = 0;
    WriteDmeContent(work, &sink, inWorkCoordinates, rotated, inverseRotation, workOrigin);
    if (!FlushSink(&sink)) {
        AbortFileRewrite(&rewrite);
        return WORK_FILE_WRITE_FAILED;
    }
    return CommitFileRewrite(&rewrite) ? 1 : WORK_FILE_WRITE_FAILED;
}

}  // namespace

int WriteDexelFamily(FILE* stream, int capacity, int rayCount, const int32_t* counts,
                     const double* ends, const uint8_t* attributes, const int32_t* values)
{
    WorkFileSink sink;
    sink.stream = stream;
    sink.failed = 0;
    WriteFamilyToSink(&sink, capacity, rayCount, counts, ends, attributes, values);
    return FlushSink(&sink);
}

int SerializeWorkModelDme(const WorkModel* work, int inWorkCoordinates, int rotated,
                          const double inverseRotation[9], const double workOrigin[3],
                          std::vector<uint8_t>* out)
{
    out->clear();
    if (!HasWork(work)) return WORK_FILE_DATA_ERROR;
    WorkFileSink sink;
    sink.stream = nullptr;
    sink.failed = 0;
    const uint64_t size = DME_HEADER_BYTES + CountFamilyBytes(&work->familyZ) +
                          CountFamilyBytes(&work->familyY) + CountFamilyBytes(&work->familyX);
    if (size > sink.buffer.max_size()) return WORK_FILE_WRITE_FAILED;
    sink.buffer.reserve(size_t(size));
    WriteDmeContent(work, &sink, inWorkCoordinates, rotated, inverseRotation, workOrigin);
    out->swap(sink.buffer);
    return 1;
}

int SaveWorkModel(const WorkModel* work, const char* path, int stlFormat, int inWorkCoordinates,
                  int rotated, const double inverseRotation[9], const double workOrigin[3])
{
    if (HasFileExtension(path, ".DME"))
        return SaveDmeFile(work, path, inWorkCoordinates, rotated, inverseRotation, workOrigin);
    if (HasFileExtension(path, ".DMEZ"))
        return SaveWorkModelCompressed(work, path, inWorkCoordinates, rotated, inverseRotation,
                                       workOrigin);
    if (HasFileExtension(path, ".STL")) {
        if (!HasWork(work)) return WORK_FILE_DATA_ERROR;
        return SaveStlWorkModel(work, path, stlFormat, inWorkCoordinates, rotated, inverseRotation,
                                workOrigin) == 1 ? 1 : WORK_FILE_WRITE_FAILED;
    }
    return WORK_FILE_DATA_ERROR;
}
