#pragma once

#include <wx/bitmap.h>
#include <wx/icon.h>

// Images compiled into the program.
wxBitmap LoadBackgroundDesign();  // "THEBACK" before its labels are drawn
wxIcon LoadProgramIcon();  // "REG"
