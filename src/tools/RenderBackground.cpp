// Draws the sixteen labels onto the form's design and saves the result as
// the background the program compiles in (resources/background.png), so
// that starting the program costs no font work for them. Run by
// scripts/render-background.sh after the design or a label changes.
// With SCALE 2 it draws the same picture at twice the pixels, for screens
// that scale the desktop by 2: the design enlarged, the labels drawn anew.
// Usage: vantrel-render-background DESIGN.png OUTPUT.png [SCALE]
#include <cstdio>

#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/wx.h>

#include "gui/FormControls.h"

namespace {

// About 8 pixels a character, capitals about 10 pixels high.
wxFont LabelFont(int scale)
{
    return wxFont(wxFontInfo(wxSize(0, 13 * scale)).Family(wxFONTFAMILY_TELETYPE));
}

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
        const int scale = argc == 4 ? wxAtoi(argv[3]) : 1;
        if ((argc != 3 && argc != 4) || scale < 1 || scale > 4) {
            std::fprintf(stderr, "usage: vantrel-render-background DESIGN.png OUTPUT.png [SCALE]\n");
            return false;
        }
        wxImage::AddHandler(new wxPNGHandler);
        wxImage design(argv[1], wxBITMAP_TYPE_PNG);
        if (!design.IsOk())
            return false;
        if (scale > 1)
            design.Rescale(design.GetWidth() * scale, design.GetHeight() * scale, wxIMAGE_QUALITY_BICUBIC);
        wxBitmap bitmap(design, 24);
        {
            wxMemoryDC dc(bitmap);
            dc.SetFont(LabelFont(scale));
            dc.SetTextForeground(*wxBLACK);
            dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
            for (const FormLabel& label : FormLabels())
                dc.DrawText(label.text, label.x * scale, label.top * scale - InternalLeading(dc));
        }
        result_ = bitmap.ConvertToImage().SaveFile(argv[2], wxBITMAP_TYPE_PNG) ? 0 : 1;
        return true;  // on to OnRun, which ends with the result at once
    }
    int OnExit() override { return result_; }
    int OnRun() override { return result_; }

private:
    int result_ = 1;
};

wxIMPLEMENT_APP(RenderBackgroundApp);
