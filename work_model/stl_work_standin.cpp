// Stand-in for the STL work branches until STL works are built: reading refuses every file as no
// STL, writing writes nothing.
#include "work_model/stl_work.h"

int LoadStlWorkModel(WindowHandle, WorkModel* work, const char*, double*, double, int)
{
    work->nodeCountX = 0;
    return -20;
}

int SaveStlWorkModel(const WorkModel*, const char*, int, int, int, const double*, const double*)
{
    return 0;
}
