#pragma once

#include <vector>

#include <wx/wx.h>

class PressReleaseApp;

// A label of the background: its text and where the tops of its letters
// stand. The labels are pixels of the compiled-in background, drawn there
// by scripts/render-background.sh; controls carry their texts as names.
struct FormLabel {
    const char* text;
    int x;
    int top;
};

const std::vector<FormLabel>& FormLabels();

// Creates the sixteen controls on the panel with their places and start
// values, each named for screen readers by its label, and stores them in
// the application.
void CreateFormControls(wxWindow* panel, PressReleaseApp& app);

// The order in which Tab visits the controls, as the eye reads the form:
// the left column top to bottom, then features, trial, contact name and
// receivers. It differs from the order of creation.
std::vector<wxWindow*> FormTabOrder(const PressReleaseApp& app);
