#include "GuiTestSupport.h"

#include <cstdlib>
#include <vector>

#include <wx/eventfilter.h>
#include <wx/progdlg.h>

#include "core/checks/CheckReport.h"
#include "gui/CommandIds.h"
#include "gui/NativeFieldStyle.h"
#include "gui/ProbeWindow.h"

namespace {

// What one progress window showed while it stood.
struct SeenWindow {
    std::string title;
    std::string lastMessage;
    int range = 0;
    int highestValue = -1;
    wxWindow* parent = nullptr;
    bool hasCancel = false;
    bool mainWindowDisabled = false;
};

// Watches every event the toolkit delivers and notes the progress windows
// they belong to; on request it presses Cancel in the window with a title.
class ProgressWindowWatcher : public wxEventFilter {
public:
    // With cancelTitle, the window of that title is cancelled: by its
    // Cancel button, or withEscape by the Escape key.
    explicit ProgressWindowWatcher(wxWindow* mainWindow, std::string cancelTitle = {},
                                   bool withEscape = false)
        : mainWindow_(mainWindow), cancelTitle_(std::move(cancelTitle)), withEscape_(withEscape)
    {
        wxEvtHandler::AddFilter(this);
    }
    ~ProgressWindowWatcher() override { wxEvtHandler::RemoveFilter(this); }

    int FilterEvent(wxEvent& event) override
    {
        auto* window = dynamic_cast<wxWindow*>(event.GetEventObject());
        auto* progress =
            window ? dynamic_cast<wxGenericProgressDialog*>(wxGetTopLevelParent(window)) : nullptr;
        // Events also arrive while the window is being built; its parts
        // exist once it is shown.
        if (progress && progress->IsShown() && !busy_) {
            busy_ = true;
            Note(*progress);
            busy_ = false;
        }
        return Event_Skip;
    }

    std::vector<SeenWindow> seen;
    bool cancelled = false;

private:
    void Note(wxGenericProgressDialog& progress)
    {
        const std::string title = Utf8(progress.GetTitle());
        if (seen.empty() || seen.back().title != title)
            seen.push_back(SeenWindow{title, {}});
        SeenWindow& current = seen.back();
        current.lastMessage = Utf8(progress.GetMessage());
        current.range = progress.GetRange();
        current.highestValue = std::max(current.highestValue, progress.GetValue());
        current.parent = progress.GetParent();
        current.hasCancel = progress.FindWindow(wxID_CANCEL) != nullptr;
        current.mainWindowDisabled = !mainWindow_->IsEnabled();
        if (!cancelled && title == cancelTitle_) {
            cancelled = true;
            if (withEscape_) {
                wxKeyEvent escape(wxEVT_CHAR_HOOK);
                escape.m_keyCode = WXK_ESCAPE;
                escape.SetEventObject(&progress);
                progress.GetEventHandler()->ProcessEvent(escape);
                return;
            }
            wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
            click.SetEventObject(progress.FindWindow(wxID_CANCEL));
            progress.GetEventHandler()->ProcessEvent(click);
        }
    }

    wxWindow* mainWindow_;
    std::string cancelTitle_;
    bool withEscape_;
    bool busy_ = false;
};

std::vector<wxWindow*> ControlsInTabOrder() { return FormTabOrder(wxGetApp().controls); }

bool AnyProgressWindowLeft()
{
    for (wxWindow* window : wxTopLevelWindows) {
        if (dynamic_cast<wxGenericProgressDialog*>(window))
            return true;
    }
    return false;
}

class CheckCommandTest : public CompleteFormTest {
protected:
    void BeforeStart() override
    {
        CompleteFormTest::BeforeStart();
        // Would respond after some seconds, unless Cancel stops it first.
        server.ServeTrickle("/slow.html", 60, 100);
    }

    void ExpectBothWindows(const ProgressWindowWatcher& watcher)
    {
        ASSERT_EQ(watcher.seen.size(), 2u);
        const char* titles[] = {kPageProbeTitle, kImageProbeTitle};
        for (std::size_t i = 0; i < 2; ++i) {
            SCOPED_TRACE(titles[i]);
            const SeenWindow& window = watcher.seen[i];
            EXPECT_EQ(window.title, titles[i]);
            // The title, and under it the URL being tried.
            const wxTextCtrl* url = i == 0 ? app().controls.productUrl : app().controls.imageUrl;
            EXPECT_EQ(window.lastMessage, titles[i] + ("\n" + Utf8(url->GetValue())));
            EXPECT_EQ(window.range, 2);
            EXPECT_EQ(window.highestValue, 1);
            EXPECT_EQ(window.parent, &frame());
            EXPECT_TRUE(window.hasCancel);
            EXPECT_TRUE(window.mainWindowDisabled);
        }
        EXPECT_FALSE(AnyProgressWindowLeft());
    }
};

TEST_F(CheckCommandTest, CompleteFormShowsTheCheckBoxAfterBothProbeWindows)
{
    FillCompleteForm();
    app().controls.companyName->SetFocus();
    PumpEvents();
    ProgressWindowWatcher watcher(&frame());
    ShownBox box;
    wxTEST_DIALOG(EXPECT_TRUE(SendMenuCommand(ID_CHECK_EVERYTHING)), ExpectBox(wxID_OK, &box));
    ExpectInformationBox(box, &frame(),
                         "All settings are OK to generate a press release.\n\n"
                         "Please choose Generate -> Email or Generate -> File\n"
                         "to generate the press release.",
                         "Check");
    EXPECT_EQ(server.RequestCount(), 2);
    ExpectBothWindows(watcher);
    EXPECT_EQ(wxWindow::FindFocus(), app().controls.companyName) << "the keys need a focused control";
    // Receivers set without an event are counted anew, not taken from the
    // last count; what is left out wears a mark of its own until an edit.
    PumpEvents(500);
    wxTextCtrl* receivers = app().controls.receivers;
    receivers->ChangeValue("a@x.org; b@y.org; a@X.org, john doe@typo.example");
    wxTEST_DIALOG(EXPECT_TRUE(SendMenuCommand(ID_CHECK_EVERYTHING)), ExpectBox(wxID_OK, &box));
    EXPECT_EQ(box.text.rfind("All settings are OK", 0), 0u);
    PumpEvents(500);
    EXPECT_EQ(StatusText(), "2 receivers; 1 entry is not an address (\"john doe@typo.example\"); 1 twice");
    const std::string leftOut = "Left out when sending, and by Email and Export:\n\"john doe@typo.example\": "
                                "words before an address not in angle brackets";
    EXPECT_TRUE(HasFieldNotice(receivers));
    EXPECT_FALSE(HasFieldProblem(receivers));
    EXPECT_EQ(AccessibleDescription(receivers), leftOut);
    EXPECT_EQ(Utf8(receivers->GetToolTipText()), leftOut);
    receivers->SetValue("a@x.org");
    EXPECT_FALSE(HasFieldNotice(receivers));
    EXPECT_EQ(AccessibleDescription(receivers), "");
}

TEST_F(CheckCommandTest, StartFormShowsTheErrorsBoxLineByLine)
{
    ProgressWindowWatcher watcher(&frame());
    ShownBox box;
    wxTEST_DIALOG(EXPECT_TRUE(SendMenuCommand(ID_CHECK_EVERYTHING)), ExpectBox(wxID_OK, &box));
    ExpectInformationBox(
        box, &frame(),
        "Please fill in the product name.\n"
        "Please enter a version number.\n"
        "The web page http:// for the product doesn't respond.\n"
        "The image URL http:// doesn't respond.\n"
        "You have used a bad format (://) for the image. Please use TIF, JPG, GIF, BMP or PNG files only.\n"
        "Please enter a price.\n"
        "No currency has been specified for the price.\n"
        "Please supply an operating system.\n"
        "Please enter a contact email address.\n"
        "Please enter a contact name.\n"
        "Please enter a company name.\n"
        "The features text is too short. Please supply more information.\n",
        "Errors");
    ExpectBothWindows(watcher);
}

TEST_F(CheckCommandTest, FailedFieldsAreMarkedUntilEditedOrTheNextCheckPasses)
{
    FillCompleteForm();
    const FormControls& c = app().controls;
    c.productName->SetValue("");
    c.price->SetValue("20");
    wxTEST_DIALOG(SendMenuCommand(ID_CHECK_EVERYTHING), ExpectBox(wxID_OK, nullptr));
    for (wxWindow* field : ControlsInTabOrder()) {
        SCOPED_TRACE(AccessibleName(field));
        const bool failed = field == c.productName || field == c.price;
        EXPECT_EQ(HasFieldProblem(field), failed);
        EXPECT_EQ(AccessibleDescription(field).empty(), !failed);
    }
    EXPECT_EQ(AccessibleDescription(c.price), "No currency has been specified for the price.");
    EXPECT_EQ(Utf8(c.productName->GetToolTipText()), "Please fill in the product name.");

    c.productName->SetValue("Notely");
    EXPECT_FALSE(HasFieldProblem(c.productName)) << "edited";
    EXPECT_EQ(AccessibleDescription(c.productName), "");
    EXPECT_TRUE(HasFieldProblem(c.price));

    c.price->ChangeValue("20 EUR");  // unseen by the window, as if the mark had stayed
    wxTEST_DIALOG(SendMenuCommand(ID_CHECK_EVERYTHING), ExpectBox(wxID_OK, nullptr));
    EXPECT_FALSE(HasFieldProblem(c.price)) << "the check passed";
    EXPECT_EQ(c.price->GetToolTip(), nullptr);
}

// Answers the "Errors" box, noting the fields that had a tooltip meanwhile.
class ExpectErrorsBox : public wxExpectModalBase<wxMessageDialog, ExpectErrorsBox> {
public:
    explicit ExpectErrorsBox(std::vector<wxWindow*>* withTooltip) : withTooltip_(withTooltip) {}

protected:
    int OnInvoked(wxMessageDialog* box) const override
    {
        EXPECT_EQ(Utf8(box->GetCaption()), "Errors");
        for (wxWindow* field : ControlsInTabOrder())
            if (field->GetToolTip())
                withTooltip_->push_back(field);
        return wxID_OK;
    }

private:
    std::vector<wxWindow*>* withTooltip_;
};

// Tooltips would pop up over the box; after it, the user goes on in the
// first field to correct, from Check and from Email alike.
TEST_F(CheckCommandTest, TheErrorsBoxStandsWithoutTooltipsAndLeavesTheFocusInTheFirstMarkedField)
{
    FillCompleteForm();
    const FormControls& c = app().controls;
    c.price->SetValue("20");
    c.contactName->SetValue("");
    for (const int command : {ID_CHECK_EVERYTHING, ID_GENERATE_EMAIL}) {
        SCOPED_TRACE(command);
        c.companyName->SetFocus();
        PumpEvents();
        std::vector<wxWindow*> withTooltip;
        wxTEST_DIALOG(SendMenuCommand(command), ExpectErrorsBox(&withTooltip));
        EXPECT_TRUE(withTooltip.empty());
        EXPECT_EQ(Utf8(c.price->GetToolTipText()), "No currency has been specified for the price.");
        EXPECT_NE(c.contactName->GetToolTip(), nullptr);
        PumpEvents();
        EXPECT_EQ(wxWindow::FindFocus(), c.price);
    }
}

// The site may well be up: a cancel reports nothing and delivers nothing
// (no box, no e-mail program, no image probe), only says so.
TEST_F(CheckCommandTest, CancelOrEscapeCancelsTheWholeCheck)
{
    FillCompleteForm("/slow.html");
    for (const int command : {ID_CHECK_EVERYTHING, ID_GENERATE_EMAIL}) {
        const bool withEscape = command == ID_GENERATE_EMAIL;
        SCOPED_TRACE(withEscape ? "Escape during Email" : "Cancel during Check");
        ProgressWindowWatcher watcher(&frame(), kPageProbeTitle, withEscape);
        EXPECT_TRUE(SendMenuCommand(command));
        EXPECT_TRUE(watcher.cancelled);
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(StatusText(), "The check was cancelled.");
        EXPECT_FALSE(AnyProgressWindowLeft());
    }
}

TEST_F(CheckCommandTest, WithoutProgressNoWindowIsShown)
{
    FillCompleteForm();
    server.ServeBody("/press.png", 1200);
    ProgressWindowWatcher watcher(&frame());
    CheckValues values;
    EXPECT_EQ(app().CheckSettings(values, false), CheckErrors{1} << kImageTooSmall);
    EXPECT_EQ(values[0], "1200");
    EXPECT_TRUE(watcher.seen.empty());
    EXPECT_EQ(server.RequestCount(), 2);
}

}  // namespace
