#include "gui/FormControls.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <variant>

#include "core/checks/FieldProblems.h"
#include "core/form/ChoiceLists.h"
#include "core/form/FormFields.h"
#include "gui/CommandIds.h"
#include "gui/NativeFieldStyle.h"

namespace {

using TextMember = wxTextCtrl* FormControls::*;
using ChoiceMember = wxChoice* FormControls::*;
using CheckMember = wxCheckBox* FormControls::*;

// One control of the form: its label on the background, its place, and
// what it is. Text fields have a style and a start value, choices their
// entries.
struct ControlRow {
    FormLabel label;
    wxRect place;
    std::variant<TextMember, ChoiceMember, CheckMember> control;
    long style = 0;
    const char* start = "";
    std::span<const char* const> entries = {};
};

// In the order of creation, which is the order of the labels.
const std::array<ControlRow, 16>& ControlTable()
{
    static const std::array<ControlRow, 16> rows = {{
        {{kProductNameLabel, 20, 23}, {20, 38, 160, 20}, &FormControls::productName},
        {{kProductVersionLabel, 190, 23}, {190, 38, 30, 20}, &FormControls::productVersion},
        {{kFeaturesTextLabel, 261, 23},
         {260, 38, 250, 234},
         &FormControls::featuresText,
         wxTE_MULTILINE | wxTE_PROCESS_TAB},
        {{kReceiversLabel, 549, 23},
         {550, 38, 250, 342},
         &FormControls::receivers,
         wxTE_MULTILINE | wxHSCROLL | wxTE_PROCESS_TAB},
        {{kProductTypeLabel, 19, 77},
         {20, 92, 130, 18},
         &FormControls::productType,
         0,
         "",
         ProductTypeNames()},
        {{kOtherTypeTextLabel, 162, 77}, {160, 92, 60, 20}, &FormControls::otherTypeText},
        {{kProductUrlLabel, 19, 130}, {20, 146, 200, 20}, &FormControls::productUrl, 0, "http://"},
        {{kImageUrlLabel, 21, 185}, {20, 200, 200, 20}, &FormControls::imageUrl, 0, "http://"},
        {{kPriceLabel, 22, 239}, {20, 254, 60, 20}, &FormControls::price},
        {{kOperatingSystemLabel, 125, 239}, {120, 254, 100, 20}, &FormControls::operatingSystem},
        {{kContactEmailLabel, 22, 293}, {20, 308, 200, 20}, &FormControls::contactEmail},
        {{kTrialAvailableLabel, 258, 293}, {260, 308, -1, -1}, &FormControls::trialAvailable},
        {{kTrialKindLabel, 359, 293}, {360, 308, 90, 18}, &FormControls::trialKind, 0, "", TrialKindNames()},
        {{kTrialLimitLabel, 459, 293}, {460, 308, 50, 18}, &FormControls::trialLimit},
        {{kCompanyNameLabel, 22, 347}, {20, 362, 200, 20}, &FormControls::companyName},
        {{kContactNameLabel, 259, 347}, {260, 362, 250, 20}, &FormControls::contactName},
    }};
    return rows;
}

// A place of the table grown by the form's scale; a default size stays one.
wxRect Scaled(const wxRect& place, double scale)
{
    const auto grown = [scale](int length) {
        return length < 0 ? length : static_cast<int>(std::lround(length * scale));
    };
    return {grown(place.x), grown(place.y), grown(place.width), grown(place.height)};
}

wxWindow* Create(wxWindow* panel, const ControlRow& row, const wxRect& place, double scale,
                 FormControls& controls, TextMember member)
{
    auto* text = new wxTextCtrl(panel, wxID_ANY, row.start, place.GetPosition(), place.GetSize(), row.style);
    MakeFieldCompact(text, scale);
    return controls.*member = text;
}

wxWindow* Create(wxWindow* panel, const ControlRow& row, const wxRect& place, double scale,
                 FormControls& controls, ChoiceMember member)
{
    wxArrayString entries;
    for (const char* entry : row.entries)
        entries.Add(entry);
    auto* choice = new wxChoice(panel, wxID_ANY, place.GetPosition(), place.GetSize(), entries);
    MakeFieldCompact(choice, scale);
    choice->InvalidateBestSize();
    // GTK cannot draw a drop-down list's text in fewer pixels than its
    // natural height; a shorter one shows its selection cut in half.
    choice->SetSize(wxSize(place.width, std::max(place.height, choice->GetBestSize().y)));
    choice->SetSelection(0);
    return controls.*member = choice;
}

wxWindow* Create(wxWindow* panel, const ControlRow&, const wxRect& place, double scale,
                 FormControls& controls, CheckMember member)
{
    auto* check = new wxCheckBox(panel, ID_TRIAL_AVAILABLE, "", place.GetPosition());
    check->SetValue(false);
    MakeFieldCompact(check, scale);
    return controls.*member = check;
}

}  // namespace

std::vector<FormLabel> FormLabels()
{
    std::vector<FormLabel> labels;
    for (const ControlRow& row : ControlTable())
        labels.push_back(row.label);
    return labels;
}

void CreateFormControls(wxWindow* panel, FormControls& controls, double scale)
{
    for (const ControlRow& row : ControlTable()) {
        const wxRect place = Scaled(row.place, scale);
        wxWindow* control = std::visit(
            [&](auto member) { return Create(panel, row, place, scale, controls, member); }, row.control);
        SetAccessibleName(control, row.label.text);
    }
}

wxWindow* ControlLabelled(const FormControls& controls, const std::string& label)
{
    for (const ControlRow& row : ControlTable()) {
        if (label == row.label.text)
            return std::visit([&](auto member) -> wxWindow* { return controls.*member; }, row.control);
    }
    return nullptr;
}

void ShowFieldProblems(const FormControls& controls, const std::vector<FieldProblem>& problems)
{
    for (const ControlRow& row : ControlTable())
        ClearFieldProblem(ControlLabelled(controls, row.label.text));
    for (const FieldProblem& problem : problems)
        MarkFieldProblem(ControlLabelled(controls, problem.label), problem.messages);
}

std::vector<wxWindow*> FormTabOrder(const FormControls& c)
{
    return {c.productName,  c.productVersion, c.productType,  c.otherTypeText,
            c.productUrl,   c.imageUrl,       c.price,        c.operatingSystem,
            c.contactEmail, c.companyName,    c.featuresText, c.trialAvailable,
            c.trialKind,    c.trialLimit,     c.contactName,  c.receivers};
}

wxWindow* FirstFieldWithProblem(const FormControls& controls)
{
    for (wxWindow* field : FormTabOrder(controls)) {
        if (HasFieldProblem(field))
            return field;
    }
    return nullptr;
}

ProblemTooltipsWithheld::ProblemTooltipsWithheld(const FormControls& controls)
{
    for (wxWindow* field : FormTabOrder(controls)) {
        if (HasFieldProblem(field) && field->GetToolTip()) {
            withheld_.emplace_back(field, field->GetToolTipText());
            field->UnsetToolTip();
        }
    }
}

ProblemTooltipsWithheld::~ProblemTooltipsWithheld()
{
    for (const auto& [field, tip] : withheld_) {
        if (HasFieldProblem(field))
            field->SetToolTip(tip);
    }
}
