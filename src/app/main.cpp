#include "app/PressReleaseApp.h"

wxIMPLEMENT_APP(PressReleaseApp);
