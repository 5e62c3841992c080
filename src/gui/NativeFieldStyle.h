#pragma once

#include <string>

#include <wx/window.h>

// What the form needs from the native toolkit beyond wx.

// How much larger than normal the desktop asks text to be (the text
// scaling of accessibility settings); never below 1. The form grows by it.
double DesktopTextScale();

// Small font, grown by the form's scale, and narrow inner padding, so that
// ordinary values are readable in the form's small fields.
void MakeFieldCompact(wxWindow* field, double scale);

// The name a screen reader announces for the field (the labels are only
// pixels of the background) on every part of it that takes the focus, and
// a label object the field is "labelled by"; reading both back from the
// part that takes the focus.
void SetAccessibleName(wxWindow* field, const std::string& name);
std::string AccessibleName(wxWindow* field);
std::string AccessibleLabel(wxWindow* field);

// A field whose check failed: the toolkit's error style with a red frame,
// and the message as tooltip and as what a screen reader describes it by.
void MarkFieldProblem(wxWindow* field, const std::string& message);
void ClearFieldProblem(wxWindow* field);
bool HasFieldProblem(wxWindow* field);
std::string AccessibleDescription(wxWindow* field);

// The status line as a screen reader finds it: a status bar whose name is
// its text. GTK draws wx's status bar itself, and tells nobody.
void SetAccessibleStatus(wxWindow* statusBar, const std::string& text);
std::string AccessibleStatus(wxWindow* statusBar);
