// Stand-in of the movie settings dialog: answered with Cancel.
#include "view/movie_settings.h"

#include "platform/ui/ui_constants.h"

int RunMovieSettingsDialog(WindowHandle) { return IDCANCEL; }
