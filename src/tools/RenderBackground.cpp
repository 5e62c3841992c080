// Draws the sixteen labels onto the form's design and saves the result as
// the background the program compiles in (resources/background.png), so
// that starting the program costs no font work for them. Run by
// scripts/render-background.sh after the design or a label changes.
// With SCALE 2 it draws the same picture at twice the pixels, for screens
// that scale the desktop by 2: the design enlarged, the labels drawn anew.
// With "dark" it draws the picture for dark themes: the design darkened,
// the labels light.
// Usage: vantrel-render-background DESIGN.png OUTPUT.png [SCALE [dark]]
#include <cstdio>

#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/wx.h>

#include "gui/FormLabelPainting.h"

namespace {

// The dark picture, for themes with dark fields: the light design's
// lightness turned round into a narrow dark band near the dark themes' own
// window colour, its hues kept; the already dark bar at the top stays.
void MakeDark(wxImage& design)
{
    unsigned char* pixel = design.GetData();
    for (int n = design.GetWidth() * design.GetHeight(); n > 0; --n, pixel += 3) {
        wxImage::HSVValue hsv = wxImage::RGBtoHSV(wxImage::RGBValue(pixel[0], pixel[1], pixel[2]));
        if (hsv.value < 0.5)
            continue;
        hsv.value = 0.17 + (1 - hsv.value) * 0.6;
        const wxImage::RGBValue rgb = wxImage::HSVtoRGB(hsv);
        pixel[0] = rgb.red;
        pixel[1] = rgb.green;
        pixel[2] = rgb.blue;
    }
}

// The dark themes' own text colour (Adwaita's), softer than white.
wxColour LightLabels() { return wxColour(238, 238, 236); }

}  // namespace

class RenderBackgroundApp : public wxApp {
public:
    bool OnInit() override
    {
        const int scale = argc >= 4 ? wxAtoi(argv[3]) : 1;
        const bool dark = argc == 5 && argv[4] == "dark";
        if (argc < 3 || argc > 5 || scale < 1 || scale > 4 || (argc == 5 && !dark)) {
            std::fprintf(stderr, "usage: vantrel-render-background DESIGN.png OUTPUT.png [SCALE [dark]]\n");
            return false;
        }
        wxImage::AddHandler(new wxPNGHandler);
        wxImage design(argv[1], wxBITMAP_TYPE_PNG);
        if (!design.IsOk())
            return false;
        if (scale > 1)
            design.Rescale(design.GetWidth() * scale, design.GetHeight() * scale, wxIMAGE_QUALITY_BICUBIC);
        if (dark)
            MakeDark(design);
        wxBitmap bitmap(design, 24);
        {
            wxMemoryDC dc(bitmap);
            DrawFormLabels(dc, scale, dark ? LightLabels() : *wxBLACK);
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
