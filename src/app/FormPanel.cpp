#include "app/FormPanel.h"

#include <wx/dcmemory.h>

#include "app/Resources.h"
#include "form/FormControls.h"

namespace {

void DrawLabels(wxBitmap& bitmap)
{
    wxMemoryDC dc(bitmap);
    dc.SetFont(FormLabelFont());
    dc.SetTextForeground(*wxBLACK);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    for (const FormLabel& label : FormLabels())
        dc.DrawText(label.text, label.x, label.top - FormLabelInternalLeading(dc));
    dc.SelectObject(wxNullBitmap);
}

}  // namespace

wxBEGIN_EVENT_TABLE(FormPanel, wxPanel)
    EVT_ERASE_BACKGROUND(FormPanel::OnEraseBackground)
wxEND_EVENT_TABLE()

FormPanel::FormPanel(wxWindow* parent)
    : wxPanel(parent, wxID_ANY, wxPoint(0, 0), wxSize(536, 1024),
              wxCLIP_SIBLINGS | wxRAISED_BORDER, "Vantrel"),
      background_(LoadBackgroundDesign())
{
    DrawLabels(background_);
}

void FormPanel::OnEraseBackground(wxEraseEvent& event)
{
    wxDC* dc = event.GetDC();
    if (dc && background_.IsOk())
        dc->DrawBitmap(background_, 0, 0, false);
}
