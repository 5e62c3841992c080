#include "gui/FormPanel.h"

#include <algorithm>
#include <cmath>

#include "gui/FormLabelPainting.h"
#include "gui/Resources.h"

wxBEGIN_EVENT_TABLE(FormPanel, wxPanel)
    EVT_ERASE_BACKGROUND(FormPanel::OnEraseBackground)
    EVT_SYS_COLOUR_CHANGED(FormPanel::OnSysColourChanged)
    EVT_CHAR_HOOK(FormPanel::OnCharHook)
wxEND_EVENT_TABLE()

FormPanel::FormPanel(wxWindow* parent, double scale, std::optional<FormLook> look)
    : wxPanel(parent, wxID_ANY, wxPoint(0, 0), wxSize(536, 1024), wxCLIP_SIBLINGS | wxRAISED_BORDER,
              "Vantrel"),
      scale_(scale), followsDesktop_(!look), look_(look ? *look : DesktopFormLook()),
      background_(LoadBackground(look_))
{
}

// A desktop switched to a dark or high contrast theme while the program
// runs redraws the fields at once; the picture behind them follows.
void FormPanel::OnSysColourChanged(wxSysColourChangedEvent& event)
{
    event.Skip();
    const FormLook look = DesktopFormLook();
    if (!followsDesktop_ || look == look_)
        return;
    look_ = look;
    background_ = LoadBackground(look);
    scaled_ = wxBitmap();
    Refresh();
}

void FormPanel::OnEraseBackground(wxEraseEvent& event)
{
    wxDC* dc = event.GetDC();
    if (dc && look_ == FormLook::SystemColours) {
        // The labels in the theme's text colour on its window colour, as
        // its own dialogs draw theirs.
        dc->SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
        dc->Clear();
        DrawFormLabels(*dc, scale_, wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT));
        return;
    }
    const wxBitmap picture = scale_ > 1 ? ScaledBackground() : background_.GetBitmapFor(this);
    if (!dc || !picture.IsOk())
        return;
    // Only the part that needs painting: the picture is larger than the
    // window, and the toolkit converts every pixel it is given for the
    // screen, also those it then clips away.
    const wxRect damaged = GetUpdateRegion().GetBox().Intersect(wxRect(picture.GetSize()));
    if (picture.GetScaleFactor() != 1 || damaged.IsEmpty())
        dc->DrawBitmap(picture, 0, 0, false);
    else
        dc->DrawBitmap(picture.GetSubBitmap(damaged), damaged.GetTopLeft(), false);
}

// The labels grow with the form, drawn from the sharper 2x picture once.
const wxBitmap& FormPanel::ScaledBackground()
{
    if (!scaled_.IsOk()) {
        const double pixelsPerPoint = GetContentScaleFactor();
        const wxSize drawn = background_.GetDefaultSize();
        wxImage image = background_.GetBitmap(drawn * 2).ConvertToImage();
        image.Rescale(static_cast<int>(std::lround(drawn.x * scale_ * pixelsPerPoint)),
                      static_cast<int>(std::lround(drawn.y * scale_ * pixelsPerPoint)), wxIMAGE_QUALITY_HIGH);
        scaled_ = wxBitmap(image, 24, pixelsPerPoint);
    }
    return scaled_;
}

namespace {

// A list typed by hand is often separated by tabs, so the fields that take
// Tab as text leave moving on to Ctrl+Tab, as GTK's own text views do.
bool TabMovesFocus(const wxKeyEvent& event)
{
    if (event.GetKeyCode() != WXK_TAB)
        return false;
    const int others = event.GetModifiers() & ~wxMOD_SHIFT;
    const auto* text = dynamic_cast<const wxTextCtrl*>(wxWindow::FindFocus());
    const bool takesTab = text && text->HasFlag(wxTE_PROCESS_TAB);
    return others == wxMOD_CONTROL || (others == wxMOD_NONE && !takesTab);
}

}  // namespace

void FormPanel::OnCharHook(wxKeyEvent& event)
{
    if (!TabMovesFocus(event) || !MoveFocus(!event.ShiftDown()))
        event.Skip();
}

// Moves the focus to the next (or previous) control that can take it; false
// when the focus is not on one of the controls.
bool FormPanel::MoveFocus(bool forward)
{
    wxWindow* focus = wxWindow::FindFocus();
    auto current = tabOrder_.end();
    for (; focus && current == tabOrder_.end(); focus = focus->GetParent())
        current = std::find(tabOrder_.begin(), tabOrder_.end(), focus);
    if (current == tabOrder_.end())
        return false;
    const std::size_t count = tabOrder_.size();
    std::size_t index = static_cast<std::size_t>(current - tabOrder_.begin());
    for (std::size_t step = 1; step < count; ++step) {
        index = (index + (forward ? 1 : count - 1)) % count;
        if (tabOrder_[index]->IsShownOnScreen() && tabOrder_[index]->IsEnabled()) {
            tabOrder_[index]->SetFocus();
            return true;
        }
    }
    return true;
}
