#include "gui/NativeFieldStyle.h"

#include <algorithm>
#include <cmath>

#include <wx/access.h>
#include <wx/display.h>
#include <wx/filename.h>
#include <wx/font.h>
#include <wx/stdpaths.h>
#include <wx/textctrl.h>

#include <wx/clntdata.h>
#include <wx/tooltip.h>

#include <windows.h>

namespace {

// No narrow face comes with every Windows, so the installation brings
// Liberation Sans Narrow (GPL with the font exception) and the program
// loads it for itself alone: "10.2.1" then fits the Version field. Without
// the file, Tahoma, which every Windows has. Pixels, not points, so that the
// font grows with the form and never past its fields.
constexpr int kFieldFontPixels = 12;
constexpr const char* kNarrowFontFile = "LiberationSansNarrow-Regular.ttf";
constexpr const char* kNarrowFace = "Liberation Sans Narrow";
constexpr const char* kFallbackFace = "Tahoma";

const wxString& FieldFace()
{
    static const wxString face = [] {
        const wxString file =
            wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPathWithSep() + kNarrowFontFile;
        return wxFileExists(file) && wxFont::AddPrivateFont(file) ? kNarrowFace : kFallbackFace;
    }();
    return face;
}

#if wxUSE_ACCESSIBILITY
// The labels are only pixels of the background: the name a screen reader
// announces comes from here.
class NamedField : public wxAccessible {
public:
    NamedField(wxWindow* field, const std::string& name) : wxAccessible(field), name_(name) {}
    wxAccStatus GetName(int childId, wxString* name) override
    {
        if (childId != wxACC_SELF)
            return wxACC_NOT_IMPLEMENTED;
        *name = wxString::FromUTF8(name_);
        return wxACC_OK;
    }

private:
    std::string name_;
};
#endif

}  // namespace

// The program tells Windows it draws for the screen's resolution itself, so
// the desktop's scale reaches the form as a larger resolution.
double DesktopTextScale() { return std::clamp(wxDisplay().GetScaleFactor(), 1.0, 3.0); }

// Windows has no theme name to go by; it says whether high contrast is on.
FormLook DesktopFormLook()
{
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof(contrast);
    const bool highContrast = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON);
    const COLORREF field = GetSysColor(COLOR_WINDOW);
    return ChooseFormLook("", highContrast,
                          ThemeColour{GetRValue(field), GetGValue(field), GetBValue(field)});
}

void MakeFieldCompact(wxWindow* field, double scale)
{
    const int pixels = static_cast<int>(std::lround(kFieldFontPixels * scale));
    field->SetFont(wxFontInfo(wxSize(0, pixels)).FaceName(FieldFace()));
    // The sunken edge and the edit control's own margins take six pixels of
    // a 30-pixel field; a plain line and one pixel each side, as on GTK.
    if (dynamic_cast<wxTextCtrl*>(field)) {
        field->SetWindowStyleFlag((field->GetWindowStyleFlag() & ~wxBORDER_MASK) | wxBORDER_SIMPLE);
        SendMessageW(static_cast<HWND>(field->GetHandle()), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                     MAKELONG(1, 1));
    }
}

void SetAccessibleName(wxWindow* field, const std::string& name)
{
#if wxUSE_ACCESSIBILITY
    field->SetAccessible(new NamedField(field, name));
#endif
    field->SetName(wxString::FromUTF8(name));
}

std::string AccessibleName(wxWindow* field) { return field->GetName().utf8_string(); }

// A label relation needs MSAA's own objects; the name above is what Windows
// screen readers announce for the field.
std::string AccessibleLabel(wxWindow* field) { return AccessibleName(field); }

namespace {

struct FieldMark : public wxClientData {
    FieldMark(std::string text, bool isNotice) : message(std::move(text)), notice(isNotice) {}
    std::string message;
    bool notice;  // something left out, not a failed check
};

FieldMark* MarkOf(wxWindow* field) { return dynamic_cast<FieldMark*>(field->GetClientObject()); }

}  // namespace

std::string FieldText(wxTextCtrl* field) { return field->GetValue().utf8_string(); }

std::uint64_t FieldTextVersion(wxTextCtrl*)
{
    static std::uint64_t unknown = 0;
    return ++unknown;
}

// Windows has no error style for an edit control: a pale red background
// marks the field (pale amber when something is only left out), the
// message is its tooltip and its help text.
namespace {

void MarkField(wxWindow* field, const std::string& message, bool notice)
{
    field->SetClientObject(new FieldMark(message, notice));
    field->SetBackgroundColour(notice ? wxColour(255, 243, 205) : wxColour(255, 228, 225));
    field->SetToolTip(wxString::FromUTF8(message));
    field->SetHelpText(wxString::FromUTF8(message));
    field->Refresh();
}

void ClearMark(wxWindow* field, bool notice)
{
    const FieldMark* mark = MarkOf(field);
    if (!mark || mark->notice != notice)
        return;
    field->SetClientObject(nullptr);
    field->SetBackgroundColour(wxNullColour);
    field->UnsetToolTip();
    field->SetHelpText(wxString());
    field->Refresh();
}

}  // namespace

void MarkFieldProblem(wxWindow* field, const std::string& message) { MarkField(field, message, false); }
void ClearFieldProblem(wxWindow* field) { ClearMark(field, false); }
bool HasFieldProblem(wxWindow* field) { return MarkOf(field) && !MarkOf(field)->notice; }
void MarkFieldNotice(wxWindow* field, const std::string& message) { MarkField(field, message, true); }
void ClearFieldNotice(wxWindow* field) { ClearMark(field, true); }
bool HasFieldNotice(wxWindow* field) { return MarkOf(field) && MarkOf(field)->notice; }

std::string AccessibleDescription(wxWindow* field)
{
    const FieldMark* mark = MarkOf(field);
    return mark ? mark->message : std::string();
}

// wx's status bar on Windows is the native one, which screen readers read.
void SetAccessibleStatus(wxWindow* statusBar, const std::string& text)
{
    statusBar->SetName(wxString::FromUTF8(text));
}

std::string AccessibleStatus(wxWindow* statusBar) { return statusBar->GetName().utf8_string(); }
