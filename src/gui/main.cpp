#include "gui/PressReleaseApp.h"

wxIMPLEMENT_APP(PressReleaseApp);
