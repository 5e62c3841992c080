#pragma once

#include <string>
#include <vector>

#include <wx/wx.h>

struct FieldProblem;

// The sixteen controls of the form. Not owned: they belong to the panel.
struct FormControls {
    wxTextCtrl* productName = nullptr;
    wxTextCtrl* productVersion = nullptr;
    wxTextCtrl* featuresText = nullptr;
    wxTextCtrl* receivers = nullptr;
    wxChoice* productType = nullptr;
    wxTextCtrl* otherTypeText = nullptr;
    wxTextCtrl* productUrl = nullptr;
    wxTextCtrl* imageUrl = nullptr;
    wxTextCtrl* price = nullptr;
    wxTextCtrl* operatingSystem = nullptr;
    wxTextCtrl* contactEmail = nullptr;
    wxCheckBox* trialAvailable = nullptr;
    wxChoice* trialKind = nullptr;
    wxTextCtrl* trialLimit = nullptr;
    wxTextCtrl* companyName = nullptr;
    wxTextCtrl* contactName = nullptr;
};

// A label of the background: its text and where the tops of its letters
// stand. The labels are pixels of the compiled-in background, drawn there
// by scripts/render-background.sh; controls carry their texts as names.
struct FormLabel {
    const char* text;
    int x;
    int top;
};

// The labels of the sixteen controls, in the order they are created.
std::vector<FormLabel> FormLabels();

// Creates the sixteen controls on the panel with their places (grown by
// scale) and start values, each named for screen readers by its label.
void CreateFormControls(wxWindow* panel, FormControls& controls, double scale = 1);

// The control under a label, or nullptr.
wxWindow* ControlLabelled(const FormControls& controls, const std::string& label);

// Marks the fields whose checks failed with their messages and clears the
// marks of every other field.
void ShowFieldProblems(const FormControls& controls, const std::vector<FieldProblem>& problems);

// The order in which Tab visits the controls, as the eye reads the form:
// the left column top to bottom, then features, trial, contact name and
// receivers. It differs from the order of creation.
std::vector<wxWindow*> FormTabOrder(const FormControls& controls);
