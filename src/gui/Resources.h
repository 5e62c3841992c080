#pragma once

#include <wx/bitmap.h>
#include <wx/bmpbndl.h>
#include <wx/icon.h>

#include "core/form/FormLook.h"

// Images compiled into the program.
wxBitmap LoadBackgroundDesign();  // "THEBACK" with its labels, 1024 x 768
// The same at 1x and 2x, light or dark; the 2x picture is unpacked only
// when a window on a scaled desktop asks for it. The system's colours have
// no picture: an empty bundle.
wxBitmapBundle LoadBackground(FormLook look = FormLook::LightPicture);
wxIcon LoadProgramIcon();  // "REG"
