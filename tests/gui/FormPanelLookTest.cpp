#include "GuiTestSupport.h"

#include <wx/dcmemory.h>
#include <wx/settings.h>

#include "gui/FormPanel.h"

namespace {

using FormPanelLookTest = AppTest;

wxImage PackedPicture(const char* file)
{
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    return wxImage(std::string(VANTREL_SOURCE_DIR) + "/resources/" + file, wxBITMAP_TYPE_PNG);
}

wxColour PixelOf(const wxImage& image, wxPoint at)
{
    return wxColour(image.GetRed(at.x, at.y), image.GetGreen(at.x, at.y), image.GetBlue(at.x, at.y));
}

// Whether some pixel of the box is within a few steps of the colour: the
// letters' edges are smoothed, their strokes are not.
bool HasPixelNear(const wxImage& image, wxRect box, const wxColour& colour)
{
    for (int y = box.GetTop(); y <= box.GetBottom(); ++y)
        for (int x = box.GetLeft(); x <= box.GetRight(); ++x) {
            const wxColour pixel = PixelOf(image, {x, y});
            if (std::abs(pixel.Red() - colour.Red()) + std::abs(pixel.Green() - colour.Green()) +
                    std::abs(pixel.Blue() - colour.Blue()) <=
                24)
                return true;
        }
    return false;
}

// What the panel paints for each look: the picture behind the fields and
// the labels on it, or the theme's window colour with the labels drawn in
// its text colour.
TEST_F(FormPanelLookTest, EachLookPaintsItsBackgroundAndLabels)
{
    const wxImage light = PackedPicture("background.png");
    const wxImage dark = PackedPicture("background-dark.png");
    const wxPoint blank(300, 500);
    const wxRect productNameLabel(20, 23, 90, 11);
    struct Case {
        FormLook look;
        wxColour background;
        wxColour labels;
    };
    const Case cases[] = {
        {FormLook::LightPicture, PixelOf(light, blank), *wxBLACK},
        {FormLook::DarkPicture, PixelOf(dark, blank), wxColour(238, 238, 236)},
        {FormLook::SystemColours, wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE),
         wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT)},
    };
    ASSERT_LT(PixelOf(dark, blank).GetLuminance(), 0.3);
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.look));
        auto* window = new wxFrame(nullptr, wxID_ANY, "look");
        auto* panel = new FormPanel(window, 1, c.look);
        wxBitmap painted(600, 600, 24);
        {
            wxMemoryDC dc(painted);
            dc.SetBackground(*wxRED_BRUSH);
            dc.Clear();
            wxEraseEvent erase(panel->GetId(), &dc);
            erase.SetEventObject(panel);
            panel->GetEventHandler()->ProcessEvent(erase);
        }
        const wxImage shown = painted.ConvertToImage();
        EXPECT_EQ(PixelOf(shown, blank), c.background);
        EXPECT_TRUE(HasPixelNear(shown, productNameLabel, c.labels));
        window->Destroy();
    }
}

}  // namespace
