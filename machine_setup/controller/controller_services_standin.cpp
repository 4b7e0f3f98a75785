// Stand-in definitions of the view values that the controller definition and the work coordinate
// systems set; the view replaces them with its own.
#include "machine_setup/controller/controller_services_standin.h"

unsigned char g_RebuildAxisTriad = 0;
