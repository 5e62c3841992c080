#include "GuiTestSupport.h"

#include <wx/display.h>
#include <wx/splash.h>
#include <wx/uiaction.h>

#include "core/form/ChoiceLists.h"
#include "gui/CommandIds.h"
#include "gui/FormControls.h"
#include "gui/FormPanel.h"
#include "gui/NativeFieldStyle.h"

namespace {

using WindowTest = AppTest;

enum class Kind { Text, MultiLine, Choice, CheckBox };

struct ExpectedControl {
    const char* field;
    wxWindow* (*control)(PressReleaseApp&);
    Kind kind;
    wxPoint position;
    wxSize size;
    long style;  // of the bits wxTE_MULTILINE and wxHSCROLL
    const char* startText;
};

#define FIELD(name) #name, [](PressReleaseApp & app) -> wxWindow* { return app.controls.name; }

const ExpectedControl kControls[] = {
    {FIELD(productName), Kind::Text, {20, 38}, {160, 20}, 0, ""},
    {FIELD(productVersion), Kind::Text, {190, 38}, {30, 20}, 0, ""},
    {FIELD(featuresText), Kind::MultiLine, {260, 38}, {250, 234}, 0x20, ""},
    {FIELD(receivers), Kind::MultiLine, {550, 38}, {250, 342}, 0x40000020, ""},
    {FIELD(productType), Kind::Choice, {20, 92}, {130, 18}, 0, nullptr},
    {FIELD(otherTypeText), Kind::Text, {160, 92}, {60, 20}, 0, ""},
    {FIELD(productUrl), Kind::Text, {20, 146}, {200, 20}, 0, "http://"},
    {FIELD(imageUrl), Kind::Text, {20, 200}, {200, 20}, 0, "http://"},
    {FIELD(price), Kind::Text, {20, 254}, {60, 20}, 0, ""},
    {FIELD(operatingSystem), Kind::Text, {120, 254}, {100, 20}, 0, ""},
    {FIELD(contactEmail), Kind::Text, {20, 308}, {200, 20}, 0, ""},
    {FIELD(trialAvailable), Kind::CheckBox, {260, 308}, {-1, -1}, 0, nullptr},
    {FIELD(trialKind), Kind::Choice, {360, 308}, {90, 18}, 0, nullptr},
    {FIELD(trialLimit), Kind::Text, {460, 308}, {50, 18}, 0, ""},
    {FIELD(companyName), Kind::Text, {20, 362}, {200, 20}, 0, ""},
    {FIELD(contactName), Kind::Text, {260, 362}, {250, 20}, 0, ""},
};

void ExpectKindAndStart(const ExpectedControl& expected, wxWindow* control)
{
    switch (expected.kind) {
    case Kind::Text:
    case Kind::MultiLine: {
        auto* text = dynamic_cast<wxTextCtrl*>(control);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->IsMultiLine(), expected.kind == Kind::MultiLine);
        EXPECT_EQ(Utf8(text->GetValue()), expected.startText);
        EXPECT_EQ(text->GetWindowStyleFlag() & (wxTE_MULTILINE | wxHSCROLL | wxTE_READONLY), expected.style);
        EXPECT_EQ(text->GetId() < 0, true) << "the library chooses the identifier";
        break;
    }
    case Kind::Choice: {
        auto* choice = dynamic_cast<wxChoice*>(control);
        ASSERT_NE(choice, nullptr);
        EXPECT_EQ(choice->GetSelection(), 0);
        EXPECT_LT(choice->GetId(), 0);
        break;
    }
    case Kind::CheckBox: {
        auto* check = dynamic_cast<wxCheckBox*>(control);
        ASSERT_NE(check, nullptr);
        EXPECT_FALSE(check->GetValue());
        EXPECT_EQ(Utf8(check->GetLabel()), "");
        EXPECT_EQ(check->GetId(), 19);
        break;
    }
    }
}

TEST_F(WindowTest, FrameHasTitleSizeCentredPlaceAndOneStatusField)
{
    EXPECT_EQ(Utf8(frame().GetTitle()), "Vantrel");
    EXPECT_EQ(Utf8(frame().GetName()), "frame");
    EXPECT_EQ(frame().GetSize(), wxSize(835, 470));
    EXPECT_EQ(frame().GetWindowStyleFlag() & wxDEFAULT_FRAME_STYLE, wxDEFAULT_FRAME_STYLE);

    const wxRect screen = wxDisplay(0u).GetGeometry();
    const wxPoint place = frame().GetPosition();
    EXPECT_NEAR(place.x, screen.x + (screen.width - 835) / 2, 1);
    EXPECT_NEAR(place.y, screen.y + (screen.height - 470) / 2, 1);

    wxStatusBar* status = frame().GetStatusBar();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->GetFieldsCount(), 1);
    EXPECT_EQ(status->GetId(), 0);
    EXPECT_EQ(Utf8(status->GetName()), "status_line");
    EXPECT_TRUE(status->HasFlag(wxSTB_SIZEGRIP));
    EXPECT_EQ(Utf8(status->GetStatusText()), "");
    ASSERT_EQ(frame().GetIcons().GetIconCount(), 1u);
    EXPECT_TRUE(frame().GetIcons().GetIconByIndex(0).IsOk());
    EXPECT_EQ(wxTheApp->GetTopWindow(), &frame());
}

TEST_F(WindowTest, PanelFillsTheFrameAndCarriesTheBackground)
{
    const wxWindowList& children = frame().GetChildren();
    FormPanel* panel = nullptr;
    for (wxWindow* child : children)
        if (auto* found = dynamic_cast<FormPanel*>(child))
            panel = found;
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(Utf8(panel->GetName()), "Vantrel");
    EXPECT_EQ(panel->GetPosition(), wxPoint(0, 0));
    EXPECT_EQ(panel->GetSize(), frame().GetClientSize());
    EXPECT_TRUE(panel->HasFlag(wxRAISED_BORDER));
    EXPECT_TRUE(panel->HasFlag(wxCLIP_SIBLINGS));
    const wxBitmap once = panel->background().GetBitmap(wxSize(1024, 768));
    EXPECT_EQ(once.GetSize(), wxSize(1024, 768));
    EXPECT_EQ(once.GetDepth(), 24);
    // Twice the pixels for a desktop scaled by 2, drawn on the same place.
    const wxBitmap twice = panel->background().GetBitmap(wxSize(2048, 1536));
    EXPECT_EQ(twice.GetSize(), wxSize(2048, 1536));
    EXPECT_EQ(twice.GetLogicalSize(), wxSize(1024, 768));

    // Pixel for pixel the pictures that the build packed.
    const std::pair<wxBitmap, const char*> pictures[] = {{once, "background.png"},
                                                         {twice, "background@2x.png"}};
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    for (const auto& [bitmap, file] : pictures) {
        SCOPED_TRACE(file);
        const wxImage png(std::string(VANTREL_SOURCE_DIR) + "/resources/" + file, wxBITMAP_TYPE_PNG);
        const wxImage shown = bitmap.ConvertToImage();
        ASSERT_EQ(shown.GetSize(), png.GetSize());
        const std::size_t bytes = 3u * png.GetWidth() * png.GetHeight();
        EXPECT_TRUE(std::equal(png.GetData(), png.GetData() + bytes, shown.GetData()));
    }

    frame().SetSize(wxSize(900, 520));
    PumpEvents();
    EXPECT_EQ(panel->GetSize(), frame().GetClientSize()) << "the panel follows the frame";
    EXPECT_EQ(app().controls.price->GetPosition(), wxPoint(20, 254)) << "controls keep their places";
}

TEST_F(WindowTest, EveryControlHasItsKindPlaceSizeStyleAndStartValue)
{
    wxWindow* panel = app().controls.productName->GetParent();
    const wxWindowList& created = panel->GetChildren();
    ASSERT_EQ(created.size(), std::size(kControls));
    auto next = created.begin();
    for (const ExpectedControl& expected : kControls) {
        SCOPED_TRACE(expected.field);
        wxWindow* control = expected.control(app());
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control, *next++) << "created in the order of the form";
        EXPECT_EQ(control->GetPosition(), expected.position);
        if (expected.kind == Kind::Choice) {
            // GTK draws a drop-down list no shorter than its natural height.
            EXPECT_EQ(control->GetSize().x, expected.size.x);
            EXPECT_GE(control->GetSize().y, expected.size.y);
        } else if (expected.size.x > 0) {
            EXPECT_EQ(control->GetSize(), expected.size);
        }
        EXPECT_TRUE(control->IsEnabled());
        EXPECT_TRUE(control->IsShown());
        ExpectKindAndStart(expected, control);
    }
}

// Text one and a half times as large grows every place of the form with it.
TEST_F(WindowTest, LargerDesktopTextGrowsTheFormByTheSameFactor)
{
    auto* window = new wxFrame(nullptr, wxID_ANY, "larger text");
    auto* panel = new FormPanel(window, 1.5);
    FormControls grown;
    CreateFormControls(panel, grown, 1.5);
    EXPECT_EQ(grown.productVersion->GetRect(), wxRect(285, 57, 45, 30));
    EXPECT_EQ(grown.receivers->GetRect(), wxRect(825, 57, 375, 513));
    EXPECT_EQ(grown.trialKind->GetPosition(), wxPoint(540, 462));
    EXPECT_GE(grown.trialKind->GetSize().y, 27);
    EXPECT_EQ(grown.trialAvailable->GetPosition(), wxPoint(390, 462));
    window->Destroy();
}

TEST_F(WindowTest, ScreenReadersMeetEachControlByItsLabel)
{
    const std::vector<FormLabel> labels = FormLabels();
    auto label = labels.begin();
    for (const ExpectedControl& expected : kControls) {
        SCOPED_TRACE(expected.field);
        // Read from what takes the focus: the drop-down lists' toggle button.
        EXPECT_EQ(AccessibleName(expected.control(app())), label->text);
        EXPECT_EQ(AccessibleLabel(expected.control(app())), (label++)->text) << "labelled by";
    }
}

// Tab as the focused control receives it, before the toolkit acts on it.
void PressTab(bool forward, bool control = false)
{
    wxWindow* focus = wxWindow::FindFocus();
    ASSERT_NE(focus, nullptr);
    wxKeyEvent tab(wxEVT_CHAR_HOOK);
    tab.m_keyCode = WXK_TAB;
    tab.m_shiftDown = !forward;
    tab.m_controlDown = control;
    tab.SetEventObject(focus);
    focus->HandleWindowEvent(tab);
    PumpEvents(20);
}

TEST_F(WindowTest, TabGoesThroughTheFormByRows)
{
    const FormControls& a = app().controls;
    const std::vector<wxWindow*> rows = {
        a.productName, a.productVersion,  a.productType,  a.otherTypeText, a.productUrl,   a.imageUrl,
        a.price,       a.operatingSystem, a.contactEmail, a.companyName,   a.featuresText, a.trialAvailable,
        a.trialKind,   a.trialLimit,      a.contactName,  a.receivers,     a.productName};
    a.productName->SetFocus();
    PumpEvents();
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const bool takesTab = rows[i - 1] == a.featuresText || rows[i - 1] == a.receivers;
        if (takesTab) {
            PressTab(true);
            EXPECT_EQ(wxWindow::FindFocus(), rows[i - 1]) << "Tab stays in its text at step " << i;
        }
        PressTab(true, takesTab);
        EXPECT_EQ(wxWindow::FindFocus(), rows[i]) << "step " << i;
    }
    PressTab(false);
    EXPECT_EQ(wxWindow::FindFocus(), a.receivers) << "Shift+Tab goes back";
}

// Typed as a user types, through the X server: a list separated by tabs.
TEST_F(WindowTest, TabTypedIntoReceiversLandsInItsText)
{
    wxTextCtrl* receivers = app().controls.receivers;
    app().GetTopWindow()->Raise();
    receivers->SetFocus();
    PumpEvents(200);
    wxUIActionSimulator keys;
    keys.Text("a");
    keys.Char(WXK_TAB);
    keys.Text("b");
    PumpEvents(200);
    EXPECT_EQ(Utf8(receivers->GetValue()), "a\tb");
    EXPECT_EQ(wxWindow::FindFocus(), receivers);
}

TEST_F(WindowTest, ChoiceListsHoldTheirEntriesInOrder)
{
    const char* const productTypes[] = {
        "Add-in",      "Add-on",       "Audio",      "Business",   "Desktop",    "Development",
        "Education",   "File sharing", "Game",       "Graphics",   "Home/Hobby", "Info management",
        "Internet",    "Math",         "Music",      "Networking", "Plugin",     "Presentation",
        "Privacy",     "Screen saver", "Security",   "Science",    "Sound",      "Telecom",
        "Translation", "Utility",      "Web design", "Other"};
    const char* const trialKinds[] = {"Days",         "Starts",           "No Open", "No Save",
                                      "No Open/Save", "Function Limited", "Other"};
    ASSERT_EQ(app().controls.productType->GetCount(), std::size(productTypes));
    for (unsigned i = 0; i < std::size(productTypes); ++i)
        EXPECT_EQ(Utf8(app().controls.productType->GetString(i)), productTypes[i]) << i;
    ASSERT_EQ(app().controls.trialKind->GetCount(), std::size(trialKinds));
    for (unsigned i = 0; i < std::size(trialKinds); ++i)
        EXPECT_EQ(Utf8(app().controls.trialKind->GetString(i)), trialKinds[i]) << i;
    EXPECT_EQ(Utf8(app().controls.productType->GetString(20)), "Security");
    EXPECT_EQ(Utf8(app().controls.productType->GetString(kOtherProductType)), "Other");
}

TEST_F(WindowTest, MultiLineFieldsUseSingleLineFeeds)
{
    app().controls.featuresText->SetValue("first line\nsecond line");
    EXPECT_EQ(Utf8(app().controls.featuresText->GetValue()), "first line\nsecond line");
    app().controls.receivers->SetValue("a@example.org\nb@example.org\n");
    EXPECT_EQ(app().controls.receivers->GetNumberOfLines(), 3);
    EXPECT_EQ(Utf8(app().controls.receivers->GetLineText(1)), "b@example.org");
}

// label: the text the menu shows, as specified; mnemonic and keys: what
// stands beside it for the keyboard.
struct ExpectedMenuItem {
    const char* label;
    wxItemKind kind;
    int id;
    char mnemonic = 0;
    const char* keys = "";
};

const ExpectedMenuItem kSeparator = {nullptr, wxITEM_SEPARATOR, 0};

TEST_F(WindowTest, MenusHoldEveryItemWithItsLabelKindIdentifierMnemonicAndKeys)
{
    const std::vector<std::pair<const char*, std::vector<ExpectedMenuItem>>> menus = {
        {"&File",
         {{"New...", wxITEM_NORMAL, 1, 'N', "Ctrl+N"},
          {"Open...", wxITEM_NORMAL, 2, 'O', "Ctrl+O"},
          {"Save...", wxITEM_NORMAL, 3, 'S', "Ctrl+S"},
          kSeparator,
          {"Exit", wxITEM_NORMAL, 17, 'E', "Ctrl+Q"}}},
        {"&Settings",
         {{"Export Receivers...", wxITEM_NORMAL, 7, 'E'},
          {"Import Receivers...", wxITEM_NORMAL, 8, 'I'},
          kSeparator,
          {"Delimiter: ;", wxITEM_CHECK, 13, ';'},
          {"Delimiter: , ", wxITEM_CHECK, 14, ','},
          {"Delimiter: Space", wxITEM_CHECK, 15, 'S'},
          {"Delimiter: Newline", wxITEM_CHECK, 16, 'N'},
          kSeparator,
          {"Mail Server...", wxITEM_NORMAL, 21, 'M'}}},
        {"&Generate",
         {{"Email...", wxITEM_NORMAL, 11, 'E'},
          {"Text File...", wxITEM_NORMAL, 9, 'T'},
          kSeparator,
          {"Check everything", wxITEM_NORMAL, 12, 'C'},
          kSeparator,
          {"Send to Receivers...", wxITEM_NORMAL, 22, 'R'},
          {"Do-Not-Send List...", wxITEM_NORMAL, 30, 'D'},
          {"Check Replies...", wxITEM_NORMAL, 31, 'p'}}},
        {"&Help",
         {{"Basic Help...", wxITEM_NORMAL, 4, 'B'},
          {"Open the Manual", wxITEM_NORMAL, 5, 'M', "F1"},
          {"About Vantrel", wxITEM_NORMAL, ID_ABOUT, 'A'}}},
    };
    wxMenuBar* bar = frame().GetMenuBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->GetMenuCount(), menus.size());
    for (size_t m = 0; m < menus.size(); ++m) {
        SCOPED_TRACE(menus[m].first);
        EXPECT_EQ(Utf8(bar->GetMenuLabel(m)), menus[m].first);
        const wxMenuItemList& items = bar->GetMenu(m)->GetMenuItems();
        ASSERT_EQ(items.size(), menus[m].second.size());
        auto item = items.begin();
        for (const ExpectedMenuItem& expected : menus[m].second) {
            const wxMenuItem* actual = *item++;
            EXPECT_EQ(actual->GetKind(), expected.kind);
            if (expected.kind == wxITEM_SEPARATOR)
                continue;
            SCOPED_TRACE(expected.label);
            EXPECT_EQ(Utf8(actual->GetItemLabelText()), expected.label);
            const std::string label = Utf8(actual->GetItemLabel());
            const std::size_t amp = label.find('&');
            ASSERT_NE(amp, std::string::npos) << "a mnemonic";
            EXPECT_EQ(label[amp + 1], expected.mnemonic);
            EXPECT_EQ(actual->GetId(), expected.id);
            EXPECT_EQ(Utf8(actual->GetHelp()), "");
            std::unique_ptr<wxAcceleratorEntry> keys(actual->GetAccel());
            EXPECT_EQ(keys ? Utf8(keys->ToString()) : "", expected.keys);
        }
    }
    EXPECT_EQ(app().settingsMenu, bar->GetMenu(1));
    EXPECT_TRUE(bar->IsChecked(13));
    EXPECT_EQ(app().receiverDelimiter, 0);
}

}  // namespace

namespace {

class SplashTest : public AppTest {
protected:
    // Start-up looks for splash.bmp in the working folder.
    void BeforeStart() override
    {
        oldFolder_ = wxGetCwd();
        wxSetWorkingDirectory(wxString::FromUTF8(home_->sandbox()));
        if (withSplash_)
            WriteFileBytes(home_->sandbox() + "/splash.bmp",
                           ReadFileBytes(VANTREL_SOURCE_DIR "/resources/splash.bmp"));
    }
    void TearDown() override
    {
        AppTest::TearDown();
        wxSetWorkingDirectory(oldFolder_);
    }

    wxSplashScreen* FindSplash()
    {
        for (wxWindow* window : wxTopLevelWindows)
            if (auto* splash = dynamic_cast<wxSplashScreen*>(window))
                return splash;
        return nullptr;
    }

    bool withSplash_ = true;
    wxString oldFolder_;
};

TEST_F(SplashTest, ShowsOverTheWindowForThreeAndAHalfSeconds)
{
    wxSplashScreen* splash = FindSplash();
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->GetTimeout(), 3500);
    EXPECT_EQ(splash->GetSplashStyle(), wxSPLASH_CENTRE_ON_PARENT | wxSPLASH_TIMEOUT);
    EXPECT_EQ(splash->GetParent(), &frame());
    EXPECT_TRUE(splash->HasFlag(wxSTAY_ON_TOP));
    splash->Destroy();
}

class NoSplashTest : public SplashTest {
protected:
    void BeforeStart() override
    {
        withSplash_ = false;
        SplashTest::BeforeStart();
    }
};

TEST_F(NoSplashTest, StartsQuietlyWithoutTheImage)
{
    EXPECT_EQ(FindSplash(), nullptr);  // and no box: any dialog fails the test
    EXPECT_TRUE(frame().IsShown());
}

}  // namespace
