#pragma once

#include <optional>
#include <vector>

#include <wx/wx.h>

#include "gui/NativeFieldStyle.h"

// The frame's only child: paints the background with the form's labels and
// carries the controls.
class FormPanel : public wxPanel {
public:
    // scale: how much the form grows for larger desktop text (1: as drawn);
    // look: the picture behind the fields, or the theme's own colours; by
    // default the desktop's, followed when the user changes the theme.
    explicit FormPanel(wxWindow* parent, double scale = 1, std::optional<FormLook> look = std::nullopt);

    const wxBitmapBundle& background() const { return background_; }

    // Tab and Shift+Tab go through the controls in this order; in the fields
    // that take Tab as text, Ctrl+Tab and Ctrl+Shift+Tab do.
    void SetTabOrder(std::vector<wxWindow*> order) { tabOrder_ = std::move(order); }

private:
    void OnEraseBackground(wxEraseEvent& event);
    void OnSysColourChanged(wxSysColourChangedEvent& event);
    void OnCharHook(wxKeyEvent& event);
    bool MoveFocus(bool forward);
    const wxBitmap& ScaledBackground();

    double scale_;
    bool followsDesktop_;
    FormLook look_;
    wxBitmapBundle background_;
    wxBitmap scaled_;
    std::vector<wxWindow*> tabOrder_;

    wxDECLARE_EVENT_TABLE();
};
