#pragma once

#include <string>
#include <utility>
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

// The first marked field in the order Tab visits them, or nullptr.
wxWindow* FirstFieldWithProblem(const FormControls& controls);

// The marked fields' messages stand in the "Errors" box, and their tooltips
// would pop up over it as the pointer passes or rests on a field: GTK shows
// tooltips also in a window that a modal box has disabled. While an object
// of this class lives the marked fields have none; it gives them back to
// the fields still marked.
class ProblemTooltipsWithheld {
public:
    explicit ProblemTooltipsWithheld(const FormControls& controls);
    ~ProblemTooltipsWithheld();
    ProblemTooltipsWithheld(const ProblemTooltipsWithheld&) = delete;
    ProblemTooltipsWithheld& operator=(const ProblemTooltipsWithheld&) = delete;

private:
    std::vector<std::pair<wxWindow*, wxString>> withheld_;
};

// The order in which Tab visits the controls, as the eye reads the form:
// the left column top to bottom, then features, trial, contact name and
// receivers. It differs from the order of creation.
std::vector<wxWindow*> FormTabOrder(const FormControls& controls);
