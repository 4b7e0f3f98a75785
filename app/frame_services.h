// What the frame calls of the other shell parts: the menu commands, the external editor and the
// drawing resources and cursors.
#pragma once
#include "app/editor_bridge.h"
#include "app/gdi_resources.h"
#include "app/menu_commands.h"
