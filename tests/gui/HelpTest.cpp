#include "GuiTestSupport.h"

#include <sstream>

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
