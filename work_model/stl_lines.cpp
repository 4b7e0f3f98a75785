// The pieces every STL reader shares: the text line grammar (keyword position, keywords compared
// without regard to case, numbers scanned like the C library's atof), the binary facet record of
// either byte order, and the facet-by-facet reader built on them.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/os/files.h"
#include "platform/os/paths.h"
#include "work_model/file_routines.h"
#include "work_model/stl_files.h"
#include "work_model/stl_load_reports.h"

namespace {

const float kTinyVertexFloat = 1e-14f;

struct KeywordText {
    const char* text;
    int keyword;
};

// Tested in this order, each as a prefix.
const KeywordText kKeywords[] = {
    {"facet", STL_LINE_FACET},       {"outer", STL_LINE_OUTER},
    {"vertex", STL_LINE_VERTEX},     {"endloop", STL_LINE_ENDLOOP},
    {"end loop", STL_LINE_ENDLOOP},  {"endfacet", STL_LINE_ENDFACET},
    {"end facet", STL_LINE_ENDFACET}, {"endsolid", STL_LINE_ENDSOLID},
    {"end solid", STL_LINE_ENDSOLID},
};

bool StartsWithNoCase(const char* text, const char* prefix)
{
    for (int i = 0; prefix[i] != '\0'; i++) {
        if (text[i] == '\0') return false;
        int c = text[i];
        if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
        if (c != prefix[i]) return false;
    }
    return true;
}

uint32_t ReadLittleEndian32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

}  // namespace

void SwapBytes32Array(void* words, int n)
{
    uint8_t* bytes = static_cast<uint8_t*>(words);
    for (int i = 0; i < n; i++, bytes += 4) {
        std::swap(bytes[0], bytes[3]);
        std::swap(bytes[1], bytes[2]);
    }
}

int ClassifyStlLine(const char* line, int* position)
{
    const char* found = std::strpbrk(line, "efsovEFSOV");
    *position = found ? int(found - line) : -1;
    if (!found) return STL_LINE_OTHER;
    for (const KeywordText& k : kKeywords)
        if (StartsWithNoCase(found, k.text)) return k.keyword;
    return STL_LINE_OTHER;
}

void ScanStlLineNumbers(const char* line, int position, double out[3])
{
    const size_t length = std::strlen(line);
    const char* p = line + std::min(length, size_t(position) + 6);
    for (int i = 0; i < 3; i++) {
        p += std::strcspn(p, "1234567890-.\n");
        out[i] = std::atof(p);
        // The next number starts after the first blank or tab behind this one's start.
        p += std::strcspn(p, " \t");
    }
}

int ReadStlLine(FILE* stream, char buffer[STL_LINE_BYTES])
{
    if (!std::fgets(buffer, STL_LINE_BYTES, stream)) return -1;
    return int(std::strlen(buffer));
}

FILE* OpenStlBinary(const char* path, int kind, uint32_t* count)
{
    FILE* stream = OpenFile(path, "rb");
    if (!stream) return nullptr;
    uint8_t header[STL_HEADER_BYTES];
    const int64_t size = GetFileSizeBytes(MakeNativePath(path).c_str());
    if (std::fread(header, 1, sizeof header, stream) != sizeof header) {
        std::fclose(stream);
        return nullptr;
    }
    uint32_t n = ReadLittleEndian32(header + 80);
    if (kind == STL_BINARY_BE) SwapBytes32Array(&n, 1);
    if (size < 0 || uint64_t(size) < STL_HEADER_BYTES + uint64_t(STL_RECORD_BYTES) * n) {
        std::fclose(stream);
        return nullptr;
    }
    *count = n;
    return stream;
}

int ReadStlBinaryRecord(FILE* stream, int kind, float values[12])
{
    uint8_t record[STL_RECORD_BYTES];
    if (std::fread(record, 1, sizeof record, stream) != sizeof record) return 0;
    uint32_t words[12];
    for (int i = 0; i < 12; i++) words[i] = ReadLittleEndian32(record + 4 * i);
    if (kind == STL_BINARY_BE) SwapBytes32Array(words, 12);
    std::memcpy(values, words, sizeof words);
    for (int i = 3; i < 12; i++)
        if (std::fabs(values[i]) < kTinyVertexFloat) values[i] = 0.0f;
    return 1;
}

int OpenStlFacetReader(StlFacetReader* reader, int kind, const char* path)
{
    std::memset(reader, 0, sizeof *reader);
    reader->kind = kind;
    if (kind == STL_ASCII) {
        reader->stream = OpenFile(path, "rb");
    } else if (kind == STL_BINARY_LE || kind == STL_BINARY_BE) {
        reader->stream = OpenStlBinary(path, kind, &reader->remaining);
    }
    return reader->stream ? 1 : STL_DATA_ERROR;
}

namespace {

int ReadNextBinaryFacet(StlFacetReader* reader, double normal[3], double vertices[9])
{
    if (reader->remaining == 0) return 0;
    float values[12];
    if (!ReadStlBinaryRecord(reader->stream, reader->kind, values)) return STL_DATA_ERROR;
    reader->remaining--;
    for (int i = 0; i < 3; i++) normal[i] = values[i];
    for (int i = 0; i < 9; i++) vertices[i] = values[3 + i];
    if (reader->reportProgress) ReportStlBytes(STL_RECORD_BYTES);
    return 1;
}

// One text line: 1 when it completed a facet, 0 when it ended the solid, 2 to go on.
int TakeTextLine(StlFacetReader* reader, double normal[3], double vertices[9])
{
    int position;
    const int keyword = ClassifyStlLine(reader->line, &position);
    switch (keyword) {
    case STL_LINE_FACET:
        ScanStlLineNumbers(reader->line, position, reader->normal);
        break;
    case STL_LINE_OUTER:
        reader->vertexCount = 0;
        break;
    case STL_LINE_VERTEX:
        if (reader->vertexCount < 3)
            ScanStlLineNumbers(reader->line, position, reader->vertices + 3 * reader->vertexCount++);
        break;
    case STL_LINE_ENDLOOP:
        if (reader->vertexCount != 3) break;
        reader->vertexCount = 0;
        std::memcpy(normal, reader->normal, sizeof reader->normal);
        std::memcpy(vertices, reader->vertices, sizeof reader->vertices);
        return 1;
    case STL_LINE_ENDSOLID:
        return 0;
    default:
        break;
    }
    if (reader->pumpEachLine && position >= 0) PumpDuringStlWork();
    return 2;
}

}  // namespace

int ReadNextStlFacet(StlFacetReader* reader, double normal[3], double vertices[9])
{
    if (reader->kind != STL_ASCII) return ReadNextBinaryFacet(reader, normal, vertices);
    for (int length; (length = ReadStlLine(reader->stream, reader->line)) >= 0;) {
        if (reader->reportProgress) ReportStlBytes(length);
        const int result = TakeTextLine(reader, normal, vertices);
        if (result == 1 && reader->pumpEachLine) PumpDuringStlWork();
        if (result != 2) return result;
    }
    return 0;
}

void CloseStlFacetReader(StlFacetReader* reader)
{
    if (reader->stream) std::fclose(reader->stream);
    reader->stream = nullptr;
}
