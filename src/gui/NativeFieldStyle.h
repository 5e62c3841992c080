#pragma once

#include <string>

#include <wx/window.h>

// What the form needs from the native toolkit beyond wx.

// Small font and narrow inner padding, so that ordinary values are
// readable in the form's small fields.
void MakeFieldCompact(wxWindow* field);

// The name a screen reader announces for the field (the labels are only
// pixels of the background), and reading it back.
void SetAccessibleName(wxWindow* field, const std::string& name);
std::string AccessibleName(wxWindow* field);
