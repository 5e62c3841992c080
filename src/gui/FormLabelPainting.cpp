#include "gui/FormLabelPainting.h"

#include <cmath>

#include "gui/FormControls.h"

namespace {

int Scaled(int pixels, double scale) { return static_cast<int>(std::lround(pixels * scale)); }

// About 8 pixels a character, capitals about 10 pixels high.
wxFont LabelFont(double scale)
{
    return wxFont(wxFontInfo(wxSize(0, Scaled(13, scale))).Family(wxFONTFAMILY_TELETYPE));
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

void DrawFormLabels(wxDC& dc, double scale, const wxColour& colour)
{
    dc.SetFont(LabelFont(scale));
    dc.SetTextForeground(colour);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const int leading = InternalLeading(dc);
    for (const FormLabel& label : FormLabels())
        dc.DrawText(label.text, Scaled(label.x, scale), Scaled(label.top, scale) - leading);
}
