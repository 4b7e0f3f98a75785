// The movie settings dialog (template 284). Stand-in (movie_settings_standin.cpp) until movie
// recording is built: answered with Cancel, nothing changes.
#pragma once
#include "platform/ui/ui_types.h"

// Returns 1 on OK, any other value on Cancel (stand-in: IDCANCEL).
int RunMovieSettingsDialog(WindowHandle owner);
