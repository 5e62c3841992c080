#include "gui/NativeFieldStyle.h"

#include <wx/access.h>
#include <wx/font.h>

namespace {

// Tahoma is on every Windows since 2000 (and Wine ships one): narrower than
// the dialog font, so that "10.2.1" fits the Version field. Pixels, not
// points, so that a larger desktop scale cannot push text out of the fixed
// fields.
constexpr int kFieldFontPixels = 12;
constexpr const char* kFieldFace = "Tahoma";

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

void MakeFieldCompact(wxWindow* field)
{
    field->SetFont(wxFontInfo(wxSize(0, kFieldFontPixels)).FaceName(kFieldFace));
}

void SetAccessibleName(wxWindow* field, const std::string& name)
{
#if wxUSE_ACCESSIBILITY
    field->SetAccessible(new NamedField(field, name));
#endif
    field->SetName(wxString::FromUTF8(name));
}

std::string AccessibleName(wxWindow* field) { return field->GetName().utf8_string(); }
