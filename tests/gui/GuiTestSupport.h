#pragma once

// Include this instead of <wx/testing.h>: unexpected or missing dialogs
// become test failures instead of an assertion box that hangs the run.
#include <gtest/gtest.h>
#include <wx/wx.h>

class GuiTestDialogHook;
#define wxTEST_DIALOG_HOOK_CLASS GuiTestDialogHook
#include <wx/modalhook.h>
#include <wx/testing.h>

#include <memory>
#include <string>
#include <vector>

#include "LocalHttpServer.h"
#include "TempHome.h"
#include "gui/PressReleaseApp.h"
#include "gui/PressReleaseFrame.h"

class GuiTestDialogHook : public wxTestingModalHook {
public:
    GuiTestDialogHook(const char* file, int line, const char* func) : wxTestingModalHook(file, line, func) {}

protected:
    int Enter(wxDialog* dialog) override;
    void ReportFailure(const wxString& message) override;
};

// What a message box showed.
struct ShownBox {
    std::string text;
    std::string caption;
    long style = 0;
    wxWindow* parent = nullptr;
    int count = 0;
};

// Answers a message box with answer (wxID_OK, wxID_YES, ...) and records it.
class ExpectBox : public wxExpectModalBase<wxMessageDialog, ExpectBox> {
public:
    ExpectBox(int answer, ShownBox* shown) : answer_(answer), shown_(shown) {}

protected:
    int OnInvoked(wxMessageDialog* dialog) const override;

private:
    int answer_;
    ShownBox* shown_;
};

// What a file dialog was asked for.
struct ShownFileDialog {
    std::string message;
    std::string wildcard;
    std::string directory;  // where it started
    long style = 0;
    wxWindow* parent = nullptr;
};

// Answers a file dialog with OK and path (or with answer), and waits until
// the GTK chooser reports that path.
class ExpectFileDialog : public wxExpectModalBase<wxFileDialog, ExpectFileDialog> {
public:
    ExpectFileDialog(const std::string& path, ShownFileDialog* shown = nullptr, int answer = wxID_OK)
        : path_(path), shown_(shown), answer_(answer)
    {
    }

protected:
    int OnInvoked(wxFileDialog* dialog) const override;

private:
    std::string path_;
    ShownFileDialog* shown_;
    int answer_;
};

// A running application with its main window, started afresh for each test
// in a temporary HOME. Tests that need settings before start-up override
// BeforeStart().
class AppTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    virtual void BeforeStart() {}

    PressReleaseApp& app() { return wxGetApp(); }
    PressReleaseFrame& frame() { return *wxGetApp().mainWindow; }

    // Sends a menu command to the main window, as choosing the item does.
    // True when some handler took it.
    bool SendMenuCommand(int id);

    std::unique_ptr<TempHome> home_;
    std::shared_ptr<void> platformSettings_;
};

// Where else than below HOME a test's settings live, for as long as the
// returned object does: on Windows a registry key and %LOCALAPPDATA% of the
// test's own; on Linux nothing.
std::shared_ptr<void> SandboxPlatformSettings(const TempHome& home);

// A running application and a local server that serves the web page and
// the image of a form that passes every check.
class CompleteFormTest : public AppTest {
protected:
    void BeforeStart() override;
    void FillCompleteForm(const std::string& pagePath = "/product.html");

    LocalHttpServer server;
};

// Records what the program hands the desktop: a script first on PATH in
// xdg-open's place on Linux, a launcher put in the shell's place on Windows.
class FakeDesktop {
public:
    // A desktop that does not answer records the launch and then fails it
    // (xdg-open's status 3: no program for the request).
    explicit FakeDesktop(const std::string& folder, bool answers = true);
    ~FakeDesktop();

    // Waits (at most a few seconds, events flowing) for a launch and
    // returns its arguments, one per line, and forgets them; empty when
    // nothing was started.
    std::string WaitForLaunch(int maxMilliseconds = 5000) const;

private:
    std::string folder_;
    std::string log_;
    std::string oldPath_;
};

// The longest request the desktop is handed, as the README gives it:
// Linux's argument limit for xdg-open, the shell's command line on Windows.
extern const std::size_t kLaunchBoundBytes;

// Checks a box shown with OK and the information icon over parent.
void ExpectInformationBox(const ShownBox& box, wxWindow* parent, const std::string& text,
                          const std::string& caption);

// Checks a file dialog's message, wildcard, open/save kind, parent and
// start folder; style holds the kind and whichever of the overwrite and
// must-exist flags the dialog should have.
void ExpectFileDialogAsked(const ShownFileDialog& dialog, wxWindow* parent, const std::string& message,
                           const std::string& wildcard, long style, const std::string& directory);

// The Delimiter items that carry a check mark.
std::vector<int> CheckedDelimiterItems(wxMenu* menu);

// The clipboard's text as another program sees it (events keep flowing
// meanwhile, so this program can answer), and setting it from here.
std::string ReadClipboardFromOutside();
void SetClipboardText(const std::string& text);

// The status line's text, checked to be what a screen reader hears.
std::string StatusText();
// The same once the receivers' count, made on a thread of its own, has
// come (at most 5 s).
std::string CountedStatusText();

// Lets pending events run for a moment.
void PumpEvents(int milliseconds = 50);

std::string Utf8(const wxString& text);

// The LatestPath setting, empty when there is none.
std::string LatestPath();
