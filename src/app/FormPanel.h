#pragma once

#include <wx/wx.h>

// The frame's only child: paints the background with the form's labels and
// carries the controls.
class FormPanel : public wxPanel {
public:
    explicit FormPanel(wxWindow* parent);

    const wxBitmap& background() const { return background_; }

private:
    void OnEraseBackground(wxEraseEvent& event);

    wxBitmap background_;

    wxDECLARE_EVENT_TABLE();
};
