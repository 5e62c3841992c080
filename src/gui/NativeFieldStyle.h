#pragma once

#include <cstdint>
#include <string>

#include <wx/window.h>

#include "core/form/FormLook.h"

class wxTextCtrl;

// What the form needs from the native toolkit beyond wx.

// How much larger than normal the desktop asks text to be (the text
// scaling of accessibility settings); never below 1. The form grows by it.
double DesktopTextScale();

// The look that suits the desktop's theme (ChooseFormLook), from the
// theme's name, its high contrast setting and the colour of its fields.
FormLook DesktopFormLook();

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

// The text of a field as UTF-8, as GetValue().utf8_string() gives it, but
// without the copy in four-byte characters that wx makes on the way: the
// receivers field may hold megabytes.
std::string FieldText(wxTextCtrl* field);

// A number that changes whenever the text of a multi-line field changes
// (also when a program sets it), so that what was worked out from the text
// need not be worked out again; where that cannot be known, a new number
// at every call.
std::uint64_t FieldTextVersion(wxTextCtrl* field);

// A field whose check failed: the toolkit's error style with a red frame,
// and the message as tooltip and as what a screen reader describes it by.
void MarkFieldProblem(wxWindow* field, const std::string& message);
void ClearFieldProblem(wxWindow* field);
bool HasFieldProblem(wxWindow* field);
// A field that passed its check but holds something that will be left out
// (entries of the receivers that are no address): a frame of its own,
// not the red of a problem, with the message as tooltip and description.
void MarkFieldNotice(wxWindow* field, const std::string& message);
void ClearFieldNotice(wxWindow* field);
bool HasFieldNotice(wxWindow* field);
std::string AccessibleDescription(wxWindow* field);

// The status line as a screen reader finds it: a status bar whose name is
// its text. GTK draws wx's status bar itself, and tells nobody.
void SetAccessibleStatus(wxWindow* statusBar, const std::string& text);
std::string AccessibleStatus(wxWindow* statusBar);
