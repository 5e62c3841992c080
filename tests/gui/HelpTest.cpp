#include "GuiTestSupport.h"

#include <sstream>

#include <gtk/gtk.h>

#include "core/settings/SettingsStore.h"
#include "gui/CommandIds.h"

namespace {

using HelpTest = AppTest;

TEST_F(HelpTest, BasicHelpShowsTheAboutTextInItsShape)
{
    ShownBox box;
    wxTEST_DIALOG(SendMenuCommand(ID_BASIC_HELP), ExpectBox(wxID_OK, &box));
    ExpectInformationBox(box, &frame(),
                         "Vantrel forces you to provide all the information the press wants\n"
                         "to obtain when you release a software product. The tool checks whether files\n"
                         "stored on the Internet are accessible.\n"
                         "\n"
                         "Vantrel then writes the press release for you and creates an email\n"
                         "containing all the correct receivers in the header and an email body\n"
                         "containing the text.",
                         "About Vantrel");
    // Three lines, an empty line, three lines.
    std::vector<std::string> lines;
    std::stringstream text(box.text);
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 7u);
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].empty(), i == 3) << i;
}

// The toolkit's about box is GTK's own window, not a wx dialog.
TEST_F(HelpTest, AboutVantrelShowsVersionLicenceAndHomePage)
{
    EXPECT_TRUE(SendMenuCommand(ID_ABOUT));
    PumpEvents();
    GtkAboutDialog* about = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* window = windows; window; window = window->next) {
        if (GTK_IS_ABOUT_DIALOG(window->data))
            about = GTK_ABOUT_DIALOG(window->data);
    }
    g_list_free(windows);
    ASSERT_NE(about, nullptr);
    EXPECT_STREQ(gtk_about_dialog_get_program_name(about), "Vantrel");
    EXPECT_STREQ(gtk_about_dialog_get_version(about), VANTREL_VERSION);
    EXPECT_NE(std::string(gtk_about_dialog_get_license(about)).find("Tarsel Software"), std::string::npos);
    EXPECT_STREQ(gtk_about_dialog_get_website(about), "https://www.tarsel.example/vantrel");
    gtk_widget_destroy(GTK_WIDGET(about));
}

TEST_F(HelpTest, OpenTheManualAsksTheDesktopToOpenThePdf)
{
    FakeDesktop desktop(home_->sandbox() + "/bin");
    const std::string folder = home_->home() + "/.local/share/vantrel with blank";
    ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kInstallPathSetting, folder));
    EXPECT_TRUE(SendMenuCommand(ID_OPEN_MANUAL));
    EXPECT_EQ(desktop.WaitForLaunch(), folder + "/manVantrel.pdf\n");
}

TEST_F(HelpTest, OpenTheManualWithoutAnInstallationFolderStartsNothing)
{
    FakeDesktop desktop(home_->sandbox() + "/bin");
    EXPECT_TRUE(SendMenuCommand(ID_OPEN_MANUAL));
    EXPECT_EQ(desktop.WaitForLaunch(500), "");
}

TEST_F(HelpTest, OpenTheManualRefusesAPathLongerThanTheLimit)
{
    FakeDesktop desktop(home_->sandbox() + "/bin");
    // The folder itself fits; with "/manVantrel.pdf" the path would not.
    const std::string folder = "/" + std::string(1010, 'f');
    ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kInstallPathSetting, folder));
    EXPECT_TRUE(SendMenuCommand(ID_OPEN_MANUAL));
    EXPECT_EQ(desktop.WaitForLaunch(500), "");
}

}  // namespace
