#include "GuiTestSupport.h"

#include <glib.h>
#include <wx/dcmemory.h>
#include <wx/settings.h>

#include "gui/FormPanel.h"

namespace {

using ThemeChangeGtkTest = AppTest;

// The colour the panel paints where no label is.
wxColour BlankPixel(FormPanel& panel)
{
    wxBitmap painted(600, 600, 24);
    {
        wxMemoryDC dc(painted);
        wxEraseEvent erase(panel.GetId(), &dc);
        erase.SetEventObject(&panel);
        panel.GetEventHandler()->ProcessEvent(erase);
    }
    const wxImage shown = painted.ConvertToImage();
    return wxColour(shown.GetRed(300, 500), shown.GetGreen(300, 500), shown.GetBlue(300, 500));
}

// The user switches to a high contrast theme while the program runs: the
// panel that follows the desktop drops its picture, one given its look
// keeps it.
TEST_F(ThemeChangeGtkTest, APanelFollowingTheDesktopTakesTheNewThemesLook)
{
    auto* window = new wxFrame(nullptr, wxID_ANY, "theme change");
    auto* following = new FormPanel(window);
    auto* fixed = new FormPanel(window, 1, FormLook::LightPicture);
    const wxColour picture = BlankPixel(*following);
    ASSERT_NE(picture, wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));

    g_setenv("GTK_THEME", "HighContrast", TRUE);
    for (FormPanel* panel : {following, fixed}) {
        wxSysColourChangedEvent changed;
        changed.SetEventObject(panel);
        panel->GetEventHandler()->ProcessEvent(changed);
    }
    g_unsetenv("GTK_THEME");

    EXPECT_EQ(BlankPixel(*following), wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    EXPECT_EQ(BlankPixel(*fixed), picture);
    window->Destroy();
}

}  // namespace
