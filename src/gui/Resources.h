#pragma once

#include <wx/bitmap.h>
#include <wx/bmpbndl.h>
#include <wx/icon.h>

// Images compiled into the program.
wxBitmap LoadBackgroundDesign();  // "THEBACK" with its labels, 1024 x 768
// The same at 1x and 2x; the 2x picture is unpacked only when a window on
// a scaled desktop asks for it.
wxBitmapBundle LoadBackground();
wxIcon LoadProgramIcon();  // "REG"
