#include "GuiTestSupport.h"

#include <filesystem>

#include "core/files/FileMessages.h"
#include "core/files/LineEnds.h"
#include "core/release/MailtoRequest.h"
#include "core/release/PressReleaseComposer.h"
#include "core/replies/DoNotSendList.h"
#include "core/settings/SettingsStore.h"
#include "gui/CommandIds.h"

namespace {

class GenerateCommandsTest : public CompleteFormTest {
protected:
    void SetUp() override
    {
        CompleteFormTest::SetUp();
        desktop = std::make_unique<FakeDesktop>(home_->sandbox() + "/bin");
        FillCompleteForm();
    }

    std::string InstallFolder() const { return home_->home() + "/.local/share/vantrel"; }

    void UseInstallFolder(const std::string& folder)
    {
        std::filesystem::create_directories(InstallFolder());
        ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kInstallPathSetting, folder));
    }

    void SetText(wxTextCtrl* field, const std::string& text) { field->SetValue(wxString::FromUTF8(text)); }
    std::string Release() { return ComposePressRelease(app().ReadForm()); }

    std::unique_ptr<FakeDesktop> desktop;
};

TEST_F(GenerateCommandsTest, EmailOpensOneRequestAndLeavesTheReleaseOnTheClipboard)
{
    SetText(app().controls.companyName, "Smith & Sons");
    SetText(app().controls.receivers, "ann@x.org, Bob Roe <bob@y.org>, john doe@typo.example, gone@z.org\n");
    Result<DoNotSendList> list = DoNotSendListOf("ada@example.org");
    ASSERT_TRUE(list && list->Add({"gone@z.org", DoNotSendReason::Unsubscribed, 0, ""}));
    EXPECT_TRUE(SendMenuCommand(ID_GENERATE_EMAIL));
    EXPECT_EQ(desktop->WaitForLaunch(),
              "mailto:ada@example.org?bcc=ann@x.org;%20bob@y.org"
              "&subject=Press%20release%20from%20Smith%20%26%20Sons"
              "&body=Click%20here.%20Then%20press%20control-a%20followed%20by%20control-v.\n");
    EXPECT_EQ(ReadClipboardFromOutside(), Release());
    EXPECT_EQ(CountedStatusText(),
              EmailDraftNote(kDelimiterSemicolon, true) +
                  " 1 address on the do-not-send list was left out. 3 receivers; 1 entry is "
                  "not an address (\"john doe@typo.example\")");

    // The clipboard is let go after each release, so a second one replaces it.
    SetText(app().controls.companyName, "Jones Ltd");
    EXPECT_TRUE(SendMenuCommand(ID_GENERATE_EMAIL));
    EXPECT_EQ(ReadClipboardFromOutside(), Release());
}

TEST_F(GenerateCommandsTest, EmailWithoutAnEmailProgramSaysSoInTheStatusLine)
{
    desktop.reset();
    desktop = std::make_unique<FakeDesktop>(home_->sandbox() + "/bin", false);
    EXPECT_TRUE(SendMenuCommand(ID_GENERATE_EMAIL));
    EXPECT_NE(desktop->WaitForLaunch(), "");
    EXPECT_EQ(ReadClipboardFromOutside(), Release());
    EXPECT_EQ(CountedStatusText().rfind(EmailDraftNote(kDelimiterSemicolon, false), 0), 0u) << StatusText();
}

TEST_F(GenerateCommandsTest, TextFileWritesTheReleaseAndOpensIt)
{
    UseInstallFolder(InstallFolder());
    const std::string path = InstallFolder() + "/temp.txt";
    WriteFileBytes(path, "an older release");
    EXPECT_TRUE(SendMenuCommand(ID_GENERATE_TEXT_FILE));
    EXPECT_EQ(desktop->WaitForLaunch(), path + "\n");
    std::string expected = "Press release from Tarsel Soft\n\n" + Release() + "\n";
#ifdef _WIN32
    expected = WithLineEnds(expected, LineEnds::CarriageReturnLineFeed);
#endif
    EXPECT_EQ(ReadFileBytes(path), expected);
    EXPECT_EQ(CountedStatusText(), "Press release written to " + path + ". 0 receivers");
}

TEST_F(GenerateCommandsTest, AFailingFormShowsErrorsAndTouchesNothing)
{
    UseInstallFolder(InstallFolder());
    SetText(app().controls.productName, "");
    SetClipboardText("kept");
    for (const int id : {ID_GENERATE_EMAIL, ID_GENERATE_TEXT_FILE}) {
        SCOPED_TRACE(id);
        ShownBox box;
        wxTEST_DIALOG(SendMenuCommand(id), ExpectBox(wxID_OK, &box));
        ExpectInformationBox(box, &frame(), "Please fill in the product name.\n", "Errors");
    }
    EXPECT_EQ(desktop->WaitForLaunch(500), "");
    EXPECT_TRUE(std::filesystem::is_empty(InstallFolder()));
    EXPECT_EQ(ReadClipboardFromOutside(), "kept");
}

TEST_F(GenerateCommandsTest, TextFileWithNowhereToWriteSaysSaveFailed)
{
    UseInstallFolder(InstallFolder() + "/gone");
    WriteFileBytes(home_->sandbox() + "/not-a-folder", "");
    // The cache folder on Linux and on Windows.
    for (const char* variable : {"XDG_CACHE_HOME", "LOCALAPPDATA"})
        setenv(variable, (home_->sandbox() + "/not-a-folder").c_str(), 1);
    ShownBox box;
    wxTEST_DIALOG(SendMenuCommand(ID_GENERATE_TEXT_FILE), ExpectBox(wxID_OK, &box));
    unsetenv("XDG_CACHE_HOME");
    unsetenv("LOCALAPPDATA");
    ExpectInformationBox(box, &frame(), kCannotSaveText, kSaveFailedCaption);
    EXPECT_EQ(desktop->WaitForLaunch(500), "");
}

TEST_F(GenerateCommandsTest, AnOverLongRequestIsNotLaunchedButTheReleaseIsOnTheClipboard)
{
    std::string receivers;
    for (int i = 0; i < 6000; ++i)  // about 150 KB of addresses
        receivers += "receiver" + std::to_string(i) + "@example.org\n";
    SetText(app().controls.receivers, receivers);
    ShownBox box;
    wxTEST_DIALOG(SendMenuCommand(ID_GENERATE_EMAIL), ExpectBox(wxID_OK, &box));
    ExpectInformationBox(box, &frame(), kRequestTooLongText, kEmailCaption);
    EXPECT_EQ(desktop->WaitForLaunch(500), "");
    EXPECT_EQ(ReadClipboardFromOutside(), Release());
    EXPECT_EQ(CountedStatusText(),
              "No e-mail was opened. The press release is on the clipboard. 6000 receivers");
}

// The addresses whose mailto request is size bytes long: a list of many,
// each a valid address, joined by ";%20" once escaped.
std::string ReceiversOfRequestSize(std::size_t size)
{
    std::size_t left = size - MailtoRequest("ada@example.org", "", "Tarsel Soft").size();
    std::string receivers;
    for (std::size_t separator = 0; left > separator + 254; separator = 4) {
        receivers += std::string(194, 'r') + "@x.org\n";
        left -= separator + 200;
    }
    left -= receivers.empty() ? 0 : 4;
    return receivers + std::string(left - 6, 'r') + "@x.org";
}

// A request is launched up to the desktop's bound (131,071 bytes on Linux,
// 31,743 on Windows); beyond, the box says so and nothing is launched. The
// release is on the clipboard either way.
TEST_F(GenerateCommandsTest, TheLaunchBound)
{
    const std::pair<std::size_t, bool> cases[] = {{kLaunchBoundBytes, true}, {kLaunchBoundBytes + 1, false}};
    for (const auto& [size, launched] : cases) {
        SCOPED_TRACE(size);
        SetText(app().controls.receivers, ReceiversOfRequestSize(size));
        ShownBox box;
        wxTEST_DIALOG(SendMenuCommand(ID_GENERATE_EMAIL), ExpectBox(wxID_OK, &box).Optional());
        const std::string launch = desktop->WaitForLaunch(launched ? 5000 : 500);
        EXPECT_EQ(launch.size(), launched ? kLaunchBoundBytes + 1 : 0u) << "the request and a line end";
        EXPECT_EQ(box.count, launched ? 0 : 1);
        EXPECT_EQ(ReadClipboardFromOutside(), Release());
    }
}

}  // namespace
