// Stand-in for the STL save until the work mesh export is built: writing writes nothing.
#include "work_model/stl_work.h"

int SaveStlWorkModel(const WorkModel*, const char*, int, int, int, const double*, const double*)
{
    return 0;
}
