#include "form/FormControls.h"

#include <algorithm>

#include "app/CommandIds.h"
#include "app/PressReleaseApp.h"
#include "form/ChoiceLists.h"
#include "form/NativeFieldStyle.h"

namespace {

wxArrayString ToArray(const auto& names)
{
    wxArrayString entries;
    for (const char* name : names)
        entries.Add(name);
    return entries;
}

wxTextCtrl* Text(wxWindow* panel, int x, int y, int width, int height, long style = 0,
                 const char* start = "")
{
    auto* text = new wxTextCtrl(panel, wxID_ANY, start, wxPoint(x, y), wxSize(width, height), style);
    MakeFieldCompact(text);
    return text;
}

wxChoice* Choice(wxWindow* panel, int x, int y, int width, int height, const wxArrayString& entries)
{
    auto* choice = new wxChoice(panel, wxID_ANY, wxPoint(x, y), wxSize(width, height), entries);
    MakeFieldCompact(choice);
    choice->InvalidateBestSize();
    // GTK cannot draw a drop-down list's text in fewer pixels than its
    // natural height; a shorter one shows its selection cut in half.
    choice->SetSize(wxSize(width, std::max(height, choice->GetBestSize().y)));
    choice->SetSelection(0);
    return choice;
}

}  // namespace

const std::vector<FormLabel>& FormLabels()
{
    static const std::vector<FormLabel> labels = {
        {"Product name", 20, 23},       {"Version", 190, 23},
        {"Short feature description", 261, 23}, {"Receivers", 549, 23},
        {"Type of product", 19, 77},    {"Other", 162, 77},
        {"The product's web page URL", 19, 130},
        {"Product image URL", 21, 185},
        {"Price", 22, 239},             {"OS", 125, 239},
        {"Contact email", 22, 293},     {"Trial/demo?", 258, 293},
        {"Limitations", 359, 293},      {"How many", 459, 293},
        {"Company name", 22, 347},      {"Contact name", 259, 347},
    };
    return labels;
}

void CreateFormControls(wxWindow* panel, PressReleaseApp& app)
{
    static const wxArrayString productTypes = ToArray(ProductTypeNames());
    static const wxArrayString trialKinds = ToArray(TrialKindNames());

    app.productName = Text(panel, 20, 38, 160, 20);
    app.productVersion = Text(panel, 190, 38, 30, 20);
    app.featuresText = Text(panel, 260, 38, 250, 234, wxTE_MULTILINE);
    app.receivers = Text(panel, 550, 38, 250, 342, wxTE_MULTILINE | wxHSCROLL);
    app.productType = Choice(panel, 20, 92, 130, 18, productTypes);
    app.otherTypeText = Text(panel, 160, 92, 60, 20);
    app.productUrl = Text(panel, 20, 146, 200, 20, 0, "http://");
    app.imageUrl = Text(panel, 20, 200, 200, 20, 0, "http://");
    app.price = Text(panel, 20, 254, 60, 20);
    app.operatingSystem = Text(panel, 120, 254, 100, 20);
    app.contactEmail = Text(panel, 20, 308, 200, 20);
    app.trialAvailable = new wxCheckBox(panel, ID_TRIAL_AVAILABLE, "", wxPoint(260, 308));
    app.trialAvailable->SetValue(false);
    MakeFieldCompact(app.trialAvailable);
    app.trialKind = Choice(panel, 360, 308, 90, 18, trialKinds);
    app.trialLimit = Text(panel, 460, 308, 50, 18);
    app.companyName = Text(panel, 20, 362, 200, 20);
    app.contactName = Text(panel, 260, 362, 250, 20);

    // The controls were created in the order of the labels.
    const wxWindowList& controls = panel->GetChildren();
    auto control = controls.begin();
    for (const FormLabel& label : FormLabels())
        SetAccessibleName(*control++, label.text);
}

std::vector<wxWindow*> FormTabOrder(const PressReleaseApp& app)
{
    return {app.productName, app.productVersion, app.productType, app.otherTypeText,
            app.productUrl, app.imageUrl, app.price, app.operatingSystem,
            app.contactEmail, app.companyName, app.featuresText, app.trialAvailable,
            app.trialKind, app.trialLimit, app.contactName, app.receivers};
}
