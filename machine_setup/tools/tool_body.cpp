// The mesh tool's body, its loading from the STL file, and the call that allocates the mesh-cut
// lists: no body loaded at start-up.
#include "machine_setup/tools/tool_body.h"

#include <cstdio>
#include <cstdlib>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/settings_file.h"
#include "platform/os/files.h"
#include "platform/os/paths.h"
#include "work_model/file_routines.h"
#include "work_model/stl_files.h"

double* g_ToolBodyFacets = nullptr;
double g_ToolBodyBox[2][3];
int g_MeshCutListsAllocated = 0;
int (*g_AllocateMeshCutListsHook)() = nullptr;

int AllocateMeshCutLists() { return g_AllocateMeshCutListsHook != nullptr ? g_AllocateMeshCutListsHook() : 0; }

namespace {

// The path to read: as written, or beside the tool table for a relative name that is not found.
int LocateToolBodyFile(const char* name, char* out, int outSize)
{
    if (std::snprintf(out, size_t(outSize), "%s", name) >= outSize) return 0;
    if (DoesFileExist(MakeNativePath(name).c_str()) || IsAbsolutePath(name)) return 1;
    char folder[256];
    if (!GetDriveAndDirectory(g_ToolTableFilePath, folder, sizeof folder) || folder[0] == 0) return 1;
    std::snprintf(out, size_t(outSize), "%s%s", folder, name);
    return 1;
}

void ReleaseToolBody()
{
    std::free(g_ToolBodyFacets);
    g_ToolBodyFacets = nullptr;
    g_ToolBodyFacetCount = 0;
}

}  // namespace

int LoadToolBody(const ToolRecord* tool, int turnForAngleHead)
{
    ReleaseToolBody();
    char path[512];
    if (!tool->name || !LocateToolBodyFile(tool->name, path, sizeof path)) return 0;
    const int kind = DetectStlKind(path);
    const int count = CountStlFacets(kind, path);
    if (kind == STL_NONE || count <= 0) return 0;
    FacetVertices* facets =
        static_cast<FacetVertices*>(std::malloc(size_t(count) * sizeof(FacetVertices)));
    if (!facets) return 0;
    const double* angles = turnForAngleHead && g_ToolDirectionTilted == 1 ? g_AngleHeadAngles : nullptr;
    if (ReadStlToolShape(kind, count, path, tool->bodyPlacement, g_ToolBodyBox[0], g_ToolBodyBox[1],
                         facets, angles) != 1) {
        std::free(facets);
        return 0;
    }
    static_assert(sizeof(FacetVertices) == 12 * sizeof(double), "a facet is 12 doubles");
    g_ToolBodyFacets = reinterpret_cast<double*>(facets);
    g_ToolBodyFacetCount = count;
    return 1;
}
