#include "GuiTestSupport.h"

#include <filesystem>
#include <functional>

#include "gui/CommandIds.h"

namespace {

using CommandRoutingTest = AppTest;

wxCommandEvent MenuEvent(int id, wxWindow* source)
{
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(source);
    return event;
}

// Whatever a handler asks, it is answered with Cancel: this test is about
// who handles a command, not what the handler does.
#define ANSWER_ANY_DIALOGS(code)                                                                             \
    wxTEST_DIALOG(code, wxExpectAny(wxID_CANCEL).Optional(), wxExpectAny(wxID_CANCEL).Optional(),            \
                  wxExpectAny(wxID_CANCEL).Optional())

TEST_F(CommandRoutingTest, FileAndHelpCommandsAreTheMainWindows)
{
    for (int id : {ID_NEW, ID_OPEN, ID_SAVE, ID_BASIC_HELP, ID_OPEN_MANUAL}) {
        SCOPED_TRACE(id);
        wxCommandEvent event = MenuEvent(id, &frame());
        bool handled = false;
        ANSWER_ANY_DIALOGS(handled = frame().ProcessWindowEventLocally(event));
        EXPECT_TRUE(handled);
        wxCommandEvent again = MenuEvent(id, &frame());
        EXPECT_FALSE(app().ProcessEventLocally(again)) << "the application must not take it";
    }
}

TEST_F(CommandRoutingTest, SettingsAndGenerateCommandsPassOnToTheApplication)
{
    for (int id : {ID_EXPORT_RECEIVERS, ID_IMPORT_RECEIVERS, ID_GENERATE_TEXT_FILE, ID_GENERATE_EMAIL,
                   ID_CHECK_EVERYTHING, ID_DELIMITER_SEMICOLON, ID_DELIMITER_COMMA, ID_DELIMITER_SPACE,
                   ID_DELIMITER_NEWLINE, ID_MAIL_SERVER, ID_SEND_TO_RECEIVERS, ID_DO_NOT_SEND_LIST,
                   ID_CHECK_REPLIES}) {
        SCOPED_TRACE(id);
        wxCommandEvent local = MenuEvent(id, &frame());
        EXPECT_FALSE(frame().ProcessWindowEventLocally(local)) << "the frame must not take it";
        wxCommandEvent event = MenuEvent(id, &frame());
        bool handled = false;
        ANSWER_ANY_DIALOGS(handled = frame().GetEventHandler()->ProcessEvent(event));
        EXPECT_TRUE(handled) << "propagated from the frame to the application";
    }
}

TEST_F(CommandRoutingTest, KeysGiveTheCommandsOfTheirMenuItems)
{
    struct Key {
        int code;
        bool control;
        int id;
    };
    for (const Key key : {Key{'N', true, ID_NEW}, Key{'O', true, ID_OPEN}, Key{'S', true, ID_SAVE},
                          Key{'Q', true, ID_EXIT}, Key{WXK_F1, false, ID_OPEN_MANUAL}}) {
        SCOPED_TRACE(key.id);
        std::unique_ptr<wxAcceleratorEntry> keys(frame().GetMenuBar()->FindItem(key.id)->GetAccel());
        ASSERT_TRUE(keys);
        EXPECT_EQ(keys->GetKeyCode(), key.code);
        EXPECT_EQ(keys->GetFlags(), key.control ? wxACCEL_CTRL : wxACCEL_NORMAL);
    }
}

TEST_F(CommandRoutingTest, UnknownIdentifiersReachNobody)
{
    for (int id : {6, 10, 18, 20}) {
        wxCommandEvent event = MenuEvent(id, &frame());
        EXPECT_FALSE(frame().GetEventHandler()->ProcessEvent(event)) << id;
    }
}

// Runs close and tells whether it destroyed the main window.
template <class Close> bool DestroysTheMainWindow(PressReleaseApp& app, Close close)
{
    PressReleaseFrame* window = app.mainWindow;
    bool destroyed = false;
    window->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& event) {
        destroyed = destroyed || event.GetEventObject() == window;
        event.Skip();
    });
    close();
    wxTheApp->ProcessIdle();
    if (destroyed)
        app.mainWindow = nullptr;
    return destroyed;
}

// Any dialog during these would fail the test: with nothing changed there is no question.
TEST_F(CommandRoutingTest, ExitClosesAnUnchangedWindowAtOnce)
{
    EXPECT_TRUE(DestroysTheMainWindow(app(), [&] { SendMenuCommand(ID_EXIT); }));
}

TEST_F(CommandRoutingTest, TheLibrarysExitIdentifierExitsToo)
{
    EXPECT_TRUE(DestroysTheMainWindow(app(), [&] { SendMenuCommand(wxID_EXIT); }));
}

// The receivers' text of the same length as before is still a change.
TEST_F(CommandRoutingTest, TypingAndTakingItBackLeavesNothingToAskAbout)
{
    wxTextCtrl* name = app().controls.productName;
    wxTextCtrl* receivers = app().controls.receivers;
    const std::pair<std::function<void()>, const char*> steps[] = {
        {[&] { name->SetValue("typed"); }, "*Vantrel"},
        {[&] { name->SetValue(""); }, "Vantrel"},
        {[&] { receivers->SetValue("a@x.org"); }, "*Vantrel"},
        {[&] { receivers->SetValue("b@x.org"); }, "*Vantrel"},
        {[&] { receivers->SetValue(""); }, "Vantrel"},
        {[&] { SendMenuCommand(ID_DELIMITER_SPACE); }, "*Vantrel"},
        {[&] { SendMenuCommand(ID_DELIMITER_SEMICOLON); }, "Vantrel"},
    };
    for (std::size_t step = 0; step < std::size(steps); ++step) {
        steps[step].first();
        EXPECT_EQ(Utf8(frame().GetTitle()), steps[step].second) << "step " << step;
    }
    EXPECT_TRUE(DestroysTheMainWindow(app(), [&] { frame().Close(false); }));
}

// Save, Close without Saving, Cancel: the desktop's three answers, by key
// and by the close button alike.
TEST_F(CommandRoutingTest, ClosingWithUnsavedChangesAsksFirst)
{
    app().controls.price->SetValue("1 USD");
    ShownBox closeButton;
    bool closed = true;
    wxTEST_DIALOG(closed = DestroysTheMainWindow(app(), [&] { frame().Close(false); }),
                  ExpectBox(wxID_CANCEL, &closeButton));
    EXPECT_FALSE(closed) << "the close button asks too";

    const std::string path = home_->sandbox() + "/launch.pre";
    struct Case {
        int answer;
        bool closes;
        bool saved;
    };
    for (const Case c :
         {Case{wxID_CANCEL, false, false}, Case{wxID_YES, true, true}, Case{wxID_NO, true, false}}) {
        SCOPED_TRACE(c.answer);
        if (!app().mainWindow) {
            ASSERT_TRUE(app().OnInit());  // reopens what the Save case saved
        }
        std::filesystem::remove(path);
        const std::string typed = "unsaved work " + std::to_string(c.answer);
        app().controls.productName->SetValue(typed);
        ShownBox box;
        wxTEST_DIALOG(closed = DestroysTheMainWindow(app(), [&] { SendMenuCommand(ID_EXIT); }),
                      ExpectBox(c.answer, &box), wxExpectModal<wxFileDialog>(path).Optional());
        EXPECT_EQ(box.caption, "Save changes?");
        EXPECT_EQ(box.count, 1);
        EXPECT_EQ(closed, c.closes);
        EXPECT_EQ(std::filesystem::exists(path), c.saved);
        if (!closed) {
            EXPECT_EQ(Utf8(app().controls.productName->GetValue()), typed);
        }
    }
}

}  // namespace
