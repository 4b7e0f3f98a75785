// Stand-in for the STL part-model loader: no part model is loaded yet, so loading and freeing do
// nothing. Replaced by the part-model loaders (LoadAllMachineModels, FreeMachineModels).
#include "machine_setup/machine/machine_models.h"

void LoadAllMachineModels() {}

void FreeMachineModels() {}
