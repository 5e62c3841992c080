// Draws the sixteen labels onto the form's design and saves the result as
// the background the program compiles in (resources/background.png), so
// that starting the program costs no font work for them. Run by
// scripts/render-background.sh after the design or a label changes.
// Usage: vantrel-render-background DESIGN.png OUTPUT.png
#include <cstdio>

#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/wx.h>

#include "gui/FormControls.h"

namespace {

// About 8 pixels a character, capitals about 10 pixels high.
wxFont LabelFont() { return wxFont(wxFontInfo(wxSize(0, 13)).Family(wxFONTFAMILY_TELETYPE)); }

// The blank rows above the letters, so that the letters' tops land on their place.
int InternalLeading(wxDC& dc)
{
    wxCoord width = 0, height = 0, descent = 0, leading = 0;
    dc.GetTextExtent("H", &width, &height, &descent, &leading);
    // Ascent minus the height of a capital, which is about 72% of the ascent.
    const int ascent = height - descent;
    return ascent - (ascent * 72 + 50) / 100;
}

}  // namespace

class RenderBackgroundApp : public wxApp {
public:
    bool OnInit() override
    {
        if (argc != 3) {
            std::fprintf(stderr, "usage: vantrel-render-background DESIGN.png OUTPUT.png\n");
            return false;
        }
        wxImage::AddHandler(new wxPNGHandler);
        wxBitmap bitmap(wxImage(argv[1], wxBITMAP_TYPE_PNG), 24);
        if (!bitmap.IsOk())
            return false;
        {
            wxMemoryDC dc(bitmap);
            dc.SetFont(LabelFont());
            dc.SetTextForeground(*wxBLACK);
            dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
            for (const FormLabel& label : FormLabels())
                dc.DrawText(label.text, label.x, label.top - InternalLeading(dc));
        }
        result_ = bitmap.ConvertToImage().SaveFile(argv[2], wxBITMAP_TYPE_PNG) ? 0 : 1;
        return false;
    }
    int OnExit() override { return result_; }
    int OnRun() override { return result_; }

private:
    int result_ = 1;
};

wxIMPLEMENT_APP(RenderBackgroundApp);
