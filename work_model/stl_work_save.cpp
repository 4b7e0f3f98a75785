// The work's surface saved as an STL file: head, the mesh export's facets and trail, written under a
// temporary name that replaces the target only when everything was written.
#include "work_model/stl_work.h"

#include <cstring>

#include "platform/os/files.h"
#include "work_model/stl_files.h"
#include "work_model/stl_writer.h"
#include "work_model/work_mesh_export.h"

namespace {

// The writer's placement: vertices go to work coordinates only when asked and the work frame is
// shifted or turned.
void SetWriterPlacement(int inWorkCoordinates, int rotated, const double inverseRotation[9],
                        const double workOrigin[3])
{
    g_MeshOutput.toWorkCoordinates = inWorkCoordinates;
    g_MeshOutput.rotate = 0;
    if (workOrigin[0] == 0.0 && workOrigin[1] == 0.0 && workOrigin[2] == 0.0 && rotated == 0) {
        g_MeshOutput.toWorkCoordinates = 0;
    } else if (inWorkCoordinates == 1) {
        g_MeshOutput.rotate = rotated;
        std::memcpy(g_MeshOutput.workOrigin, workOrigin, sizeof g_MeshOutput.workOrigin);
        std::memcpy(g_MeshOutput.rotation, inverseRotation, sizeof g_MeshOutput.rotation);
    }
}

bool WriteHead(FILE* stream, int format)
{
    if (format == STL_OUT_ASCII) return std::fputs("solid\n", stream) >= 0;
    char head[STL_HEADER_BYTES];
    std::memset(head, 0x20, 80);
    std::memset(head + 80, 0, 4);
    return std::fwrite(head, 1, sizeof head, stream) == sizeof head;
}

bool WriteTrail(FILE* stream, int format, uint32_t facetCount)
{
    if (format == STL_OUT_ASCII) return std::fputs("endsolid\n", stream) >= 0;
    if (format == STL_OUT_BINARY_SWAPPED) SwapBytes32Array(&facetCount, 1);
    unsigned char bytes[4];
    for (int i = 0; i < 4; i++) bytes[i] = (unsigned char)(facetCount >> (8 * i));
    return std::fseek(stream, 80, SEEK_SET) == 0 && std::fwrite(bytes, 1, 4, stream) == 4;
}

}  // namespace

int SaveStlWorkModel(const WorkModel* work, const char* path, int format, int inWorkCoordinates,
                     int rotated, const double inverseRotation[9], const double workOrigin[3])
{
    if (format != STL_OUT_ASCII && format != STL_OUT_BINARY && format != STL_OUT_BINARY_SWAPPED)
        return 0;
    FileRewrite rewrite;
    if (!BeginFileRewrite(path, &rewrite)) return 0;
    g_MeshOutput.stream = rewrite.stream;
    g_MeshOutput.format = format;
    g_MeshOutput.attributeWord = 0;
    SetWriterPlacement(inWorkCoordinates, rotated, inverseRotation, workOrigin);
    uint32_t facetCount = 0;
    bool ok = WriteHead(rewrite.stream, format);
    if (ok) ok = ExportWorkMesh(work, &facetCount) == 1;
    if (ok) ok = WriteTrail(rewrite.stream, format, facetCount);
    ok = ok && !std::ferror(rewrite.stream);
    g_MeshOutput.stream = nullptr;
    if (!ok) {
        AbortFileRewrite(&rewrite);
        return 0;
    }
    return CommitFileRewrite(&rewrite) ? 1 : 0;
}
