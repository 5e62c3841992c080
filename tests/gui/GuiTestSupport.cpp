#include "GuiTestSupport.h"

#include <cstdlib>
#include <filesystem>

#include <wx/clipbrd.h>
#include <wx/stopwatch.h>

#include "core/settings/SettingsStore.h"
#include "gui/CommandIds.h"
#include "gui/NativeFieldStyle.h"

int GuiTestDialogHook::Enter(wxDialog* dialog)
{
    const int result = wxTestingModalHook::Enter(dialog);
    // Never leave an unexpected dialog standing: the test would hang.
    return result == wxID_NONE ? wxID_CANCEL : result;
}

void GuiTestDialogHook::ReportFailure(const wxString& message) { ADD_FAILURE() << message.utf8_string(); }

int ExpectBox::OnInvoked(wxMessageDialog* dialog) const
{
    if (shown_) {
        shown_->text = Utf8(dialog->GetMessage());
        shown_->caption = Utf8(dialog->GetCaption());
        shown_->style = dialog->GetMessageDialogStyle();
        shown_->parent = dialog->GetParent();
        ++shown_->count;
    }
    return answer_;
}

int ExpectFileDialog::OnInvoked(wxFileDialog* dialog) const
{
    if (shown_) {
        shown_->message = Utf8(dialog->GetMessage());
        shown_->wildcard = Utf8(dialog->GetWildcard());
        shown_->directory = Utf8(dialog->GetDirectory());
        shown_->style = dialog->GetWindowStyle();
        shown_->parent = dialog->GetParent();
    }
    const wxString path = wxString::FromUTF8(path_);
    dialog->SetPath(path);
    wxStopWatch watch;
    while (dialog->GetPath() != path && watch.Time() < 1000)
        PumpEvents(10);
    return answer_;
}

void AppTest::SetUp()
{
    home_ = std::make_unique<TempHome>();
    platformSettings_ = SandboxPlatformSettings(*home_);
    BeforeStart();
    ASSERT_TRUE(app().OnInit());
    ASSERT_NE(app().mainWindow, nullptr);
}

void AppTest::TearDown()
{
    if (PressReleaseFrame* window = app().mainWindow; window && !wxPendingDelete.Member(window))
        window->Destroy();
    app().mainWindow = nullptr;
    wxTheApp->ProcessIdle();
    platformSettings_.reset();
    home_.reset();
}

bool AppTest::SendMenuCommand(int id)
{
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(&frame());
    return frame().GetEventHandler()->ProcessEvent(event);
}

void CompleteFormTest::BeforeStart()
{
    ASSERT_TRUE(server.IsRunning());
    setenv("no_proxy", "127.0.0.1", 1);
    server.ServeBody("/product.html", 3000);
    server.ServeBody("/press.png", 8000);
}

void CompleteFormTest::FillCompleteForm(const std::string& pagePath)
{
    FormValues form;
    form.productName = "Notely";
    form.productVersion = "2.1";
    form.productType = 25;
    form.productUrl = server.Url(pagePath);
    form.imageUrl = server.Url("/press.png");
    form.price = "$19.95";
    form.operatingSystem = "Linux";
    form.featuresText = "Takes notes fast and keeps them in sync everywhere.";
    form.companyName = "Tarsel Soft";
    form.contactName = "Ada Moor";
    form.contactEmail = "ada@example.org";
    app().WriteForm(form);
}

std::string FakeDesktop::WaitForLaunch(int maxMilliseconds) const
{
    wxStopWatch watch;
    while (!FileExists(log_) && watch.Time() < maxMilliseconds)
        PumpEvents(20);
    if (!FileExists(log_))
        return {};
    const std::string launch = ReadFileBytes(log_);
    std::filesystem::remove(log_);  // the next wait sees the next launch only
    return launch;
}

void ExpectInformationBox(const ShownBox& box, wxWindow* parent, const std::string& text,
                          const std::string& caption)
{
    EXPECT_EQ(box.count, 1);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.style & (wxOK | wxICON_INFORMATION | wxYES_NO), wxOK | wxICON_INFORMATION);
    EXPECT_EQ(box.parent, parent);
}

void ExpectFileDialogAsked(const ShownFileDialog& dialog, wxWindow* parent, const std::string& message,
                           const std::string& wildcard, long style, const std::string& directory)
{
    EXPECT_EQ(dialog.message, message);
    EXPECT_EQ(dialog.directory, directory);
    EXPECT_EQ(dialog.wildcard, wildcard);
    EXPECT_EQ(dialog.style & (wxFD_SAVE | wxFD_OPEN | wxFD_OVERWRITE_PROMPT | wxFD_FILE_MUST_EXIST), style);
    EXPECT_EQ(dialog.parent, parent);
}

std::vector<int> CheckedDelimiterItems(wxMenu* menu)
{
    std::vector<int> checked;
    for (int id = ID_DELIMITER_SEMICOLON; id <= ID_DELIMITER_NEWLINE; ++id)
        if (menu->IsChecked(id))
            checked.push_back(id);
    return checked;
}

void SetClipboardText(const std::string& text)
{
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTheClipboard->SetData(new wxTextDataObject(wxString::FromUTF8(text)));
    wxTheClipboard->Close();
}

void PumpEvents(int milliseconds)
{
    wxStopWatch watch;
    do {
        wxYield();
        wxMilliSleep(5);
    } while (watch.Time() < milliseconds);
}

std::string Utf8(const wxString& text) { return text.utf8_string(); }

std::string LatestPath()
{
    const Result<std::string> path = ReadSetting(kSettingsKeyPath, kLatestPathSetting);
    return path ? *path : std::string();
}

std::string CountedStatusText()
{
    wxStopWatch watch;
    while (Utf8(wxGetApp().mainWindow->GetStatusBar()->GetStatusText()).find(" receiver") == std::string::npos &&
           watch.Time() < 5000)
        PumpEvents(10);
    return StatusText();
}

std::string StatusText()
{
    wxStatusBar* status = wxGetApp().mainWindow->GetStatusBar();
    const std::string shown = Utf8(status->GetStatusText());
    EXPECT_EQ(AccessibleStatus(status), shown) << "what a screen reader hears";
    return shown;
}
