#include "gui/PressReleaseApp.h"

#include <algorithm>
#include <cmath>

#include <wx/display.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/splash.h>

#include "core/settings/SettingsStore.h"
#include "gui/CommandIds.h"
#include "gui/FormControls.h"
#include "gui/FormPanel.h"
#include "gui/NativeFieldStyle.h"
#include "gui/PressReleaseFrame.h"
#include "gui/Resources.h"

wxBEGIN_EVENT_TABLE(PressReleaseApp, wxApp)
    EVT_MENU(ID_EXPORT_RECEIVERS, PressReleaseApp::OnExportReceivers)
    EVT_MENU(ID_IMPORT_RECEIVERS, PressReleaseApp::OnImportReceivers)
    EVT_MENU(ID_MAIL_SERVER, PressReleaseApp::OnMailServer)
    EVT_MENU(ID_GENERATE_TEXT_FILE, PressReleaseApp::OnGenerateTextFile)
    EVT_MENU(ID_GENERATE_EMAIL, PressReleaseApp::OnGenerateEmail)
    EVT_MENU(ID_CHECK_EVERYTHING, PressReleaseApp::OnCheckEverything)
    EVT_MENU(ID_SEND_TO_RECEIVERS, PressReleaseApp::OnSendToReceivers)
    EVT_MENU(ID_DO_NOT_SEND_LIST, PressReleaseApp::OnDoNotSendList)
    EVT_MENU(ID_CHECK_REPLIES, PressReleaseApp::OnCheckReplies)
    EVT_MENU_RANGE(ID_DELIMITER_SEMICOLON, ID_DELIMITER_NEWLINE, PressReleaseApp::OnDelimiter)
    EVT_TIMER(wxID_ANY, PressReleaseApp::OnReceiverCount)
wxEND_EVENT_TABLE()

namespace {

inline constexpr int kSplashMilliseconds = 3500;

std::string Utf8(const wxString& text) { return text.utf8_string(); }
wxString FromUtf8(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }

int ReadChoice(const wxChoice* choice) { return choice->GetSelection(); }

// An index outside the list leaves no entry selected.
void WriteChoice(wxChoice* choice, int index)
{
    const bool valid = index >= 0 && static_cast<unsigned>(index) < choice->GetCount();
    choice->SetSelection(valid ? index : wxNOT_FOUND);
}

constexpr int kFormRight = 810;  // the receivers' right edge and a margin
constexpr int kFormBottom = 400;  // the bottom row's lower edge and a margin
constexpr int kMenuAndStatusRoom = 80;

// The form grows with the desktop's text, but never past the screen.
double FormScale()
{
    const wxRect screen = wxDisplay().GetClientArea();
    const double fits = std::min(static_cast<double>(screen.width) / kFormRight,
                                 static_cast<double>(screen.height) / (kFormBottom + kMenuAndStatusRoom));
    return std::max(1.0, std::min(DesktopTextScale(), fits));
}

// Larger desktop text grows the form by scale and makes the menu bar and
// the status line taller: the window then grows so that the bottom row of
// fields stays whole. At normal text the room is enough and the window
// keeps its size.
void KeepFormWhole(wxFrame& window, double scale)
{
    const int right = static_cast<int>(std::lround(kFormRight * scale));
    const int bottom = static_cast<int>(std::lround(kFormBottom * scale));
    const wxSize room = window.GetClientSize();
    if (room.x < right || room.y < bottom)
        window.SetClientSize(std::max(room.x, right), std::max(room.y, bottom));
}

}  // namespace

bool PressReleaseApp::OnInit()
{
    mainWindow = new PressReleaseFrame();
    mainWindow->SetIcon(LoadProgramIcon());
    mainWindow->app = this;

    const double scale = FormScale();
    auto* panel = new FormPanel(mainWindow, scale);
    CreateFormControls(panel, controls, scale);
    panel->SetTabOrder(FormTabOrder(controls));
    StartCounting();

    mainWindow->SetMenuBar(CreateMenuBar());
    mainWindow->ShowRecentDocumentsIn(mainWindow->GetMenuBar()->GetMenu(0));
    KeepFormWhole(*mainWindow, scale);
    mainWindow->Centre(wxBOTH);
    mainWindow->Show(true);
    SetTopWindow(mainWindow);

    mainWindow->MarkUnchanged("");
    const std::string startDocument = StartDocument();
    if (!startDocument.empty())
        mainWindow->ReadDocument(startDocument);

    SetExitOnFrameDelete(true);
    ShowSplashScreen();
    wxYield();
    return true;
}

// The count of a window that is gone is never shown.
void PressReleaseApp::StartCounting()
{
    receiverCount_.SetOwner(this);
    if (!counter_)
        counter_ = std::make_unique<ReceiverCounter>(
            [this](const std::string& prefix, const ReceiverCounts& counts) { ShowCount(prefix, counts); });
    counter_->Forget();
    PressReleaseFrame* window = mainWindow;
    window->Bind(wxEVT_DESTROY, [this, window](wxWindowDestroyEvent& event) {
        if (event.GetEventObject() == window) {
            receiverCount_.Stop();
            counter_->Forget();
        }
        event.Skip();
    });
    controls.receivers->Bind(wxEVT_TEXT, &PressReleaseApp::OnReceiversEdited, this);
}

// What was found of the text before is found again of the new one.
void PressReleaseApp::OnReceiversEdited(wxCommandEvent& event)
{
    ClearFieldNotice(controls.receivers);
    markLeftOut_ = false;
    receiversCut_ = false;
    CountReceiversSoon();
    event.Skip();  // the window marks the form changed
}

// A document named on the command line (as the file manager does), else
// the one opened or saved last.
std::string PressReleaseApp::StartDocument() const
{
    if (argc > 1) {
        wxFileName document(argv[1]);
        document.MakeAbsolute();
        return document.GetFullPath().utf8_string();
    }
    const Result<std::string> latestPath = ReadSetting(kSettingsKeyPath, kLatestPathSetting);
    return latestPath ? *latestPath : std::string();
}

// Every item has a mnemonic and the window's keys stand beside their
// items; what the menu shows of a label stays the same text.
wxMenuBar* PressReleaseApp::CreateMenuBar()
{
    auto* fileMenu = new wxMenu;
    fileMenu->Append(ID_NEW, "&New...\tCtrl+N");
    fileMenu->Append(ID_OPEN, "&Open...\tCtrl+O");
    fileMenu->Append(ID_SAVE, "&Save...\tCtrl+S");
    fileMenu->AppendSeparator();
    fileMenu->Append(ID_EXIT, "&Exit\tCtrl+Q");

    settingsMenu = new wxMenu;
    settingsMenu->Append(ID_EXPORT_RECEIVERS, "&Export Receivers...");
    settingsMenu->Append(ID_IMPORT_RECEIVERS, "&Import Receivers...");
    settingsMenu->AppendSeparator();
    settingsMenu->AppendCheckItem(ID_DELIMITER_SEMICOLON, "Delimiter: &;");
    settingsMenu->AppendCheckItem(ID_DELIMITER_COMMA, "Delimiter: &, ");
    settingsMenu->AppendCheckItem(ID_DELIMITER_SPACE, "Delimiter: &Space");
    settingsMenu->AppendCheckItem(ID_DELIMITER_NEWLINE, "Delimiter: &Newline");
    settingsMenu->AppendSeparator();
    settingsMenu->Append(ID_MAIL_SERVER, "&Mail Server...");
    SetReceiverDelimiter(kDelimiterSemicolon);

    auto* generateMenu = new wxMenu;
    generateMenu->Append(ID_GENERATE_EMAIL, "&Email...");
    generateMenu->Append(ID_GENERATE_TEXT_FILE, "&Text File...");
    generateMenu->AppendSeparator();
    generateMenu->Append(ID_CHECK_EVERYTHING, "&Check everything");
    // Last, so that the keys that reach the older items stay the same.
    generateMenu->AppendSeparator();
    generateMenu->Append(ID_SEND_TO_RECEIVERS, "Send to &Receivers...");
    generateMenu->Append(ID_DO_NOT_SEND_LIST, "&Do-Not-Send List...");
    generateMenu->Append(ID_CHECK_REPLIES, "Check Re&plies...");

    auto* helpMenu = new wxMenu;
    helpMenu->Append(ID_BASIC_HELP, "&Basic Help...");
    helpMenu->Append(ID_OPEN_MANUAL, "Open the &Manual\tF1");
    helpMenu->Append(ID_ABOUT, "&About Vantrel");

    auto* menuBar = new wxMenuBar;
    menuBar->Append(fileMenu, "&File");
    menuBar->Append(settingsMenu, "&Settings");
    menuBar->Append(generateMenu, "&Generate");
    menuBar->Append(helpMenu, "&Help");
    return menuBar;
}

void PressReleaseApp::ShowSplashScreen()
{
    wxLogNull quiet;  // a missing splash image is no news to the user
    wxBitmap splash;
    if (!wxFileExists("splash.bmp") || !splash.LoadFile("splash.bmp", wxBITMAP_TYPE_BMP))
        return;
    new wxSplashScreen(splash, wxSPLASH_CENTRE_ON_PARENT | wxSPLASH_TIMEOUT, kSplashMilliseconds, mainWindow,
                       wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSIMPLE_BORDER | wxSTAY_ON_TOP);
}

FormValues PressReleaseApp::ReadForm(Receivers receivers) const
{
    FormValues form;
    form.productName = Utf8(controls.productName->GetValue());
    form.productVersion = Utf8(controls.productVersion->GetValue());
    form.featuresText = Utf8(controls.featuresText->GetValue());
    if (receivers == Receivers::Read)
        form.receivers = FieldText(controls.receivers);
    form.productType = ReadChoice(controls.productType);
    form.otherTypeText = Utf8(controls.otherTypeText->GetValue());
    form.productUrl = Utf8(controls.productUrl->GetValue());
    form.imageUrl = Utf8(controls.imageUrl->GetValue());
    form.price = Utf8(controls.price->GetValue());
    form.operatingSystem = Utf8(controls.operatingSystem->GetValue());
    form.contactEmail = Utf8(controls.contactEmail->GetValue());
    form.trialAvailable = controls.trialAvailable->GetValue();
    form.trialKind = ReadChoice(controls.trialKind);
    form.trialLimit = Utf8(controls.trialLimit->GetValue());
    form.companyName = Utf8(controls.companyName->GetValue());
    form.contactName = Utf8(controls.contactName->GetValue());
    return form;
}

void PressReleaseApp::WriteForm(const FormValues& form)
{
    controls.productName->SetValue(FromUtf8(form.productName));
    controls.productVersion->SetValue(FromUtf8(form.productVersion));
    controls.price->SetValue(FromUtf8(form.price));
    controls.operatingSystem->SetValue(FromUtf8(form.operatingSystem));
    controls.imageUrl->SetValue(FromUtf8(form.imageUrl));
    controls.featuresText->SetValue(FromUtf8(form.featuresText));
    WriteChoice(controls.productType, form.productType);
    controls.otherTypeText->SetValue(FromUtf8(form.otherTypeText));
    controls.productUrl->SetValue(FromUtf8(form.productUrl));
    controls.trialAvailable->SetValue(form.trialAvailable);
    WriteChoice(controls.trialKind, form.trialKind);
    controls.trialLimit->SetValue(FromUtf8(form.trialLimit));
    controls.companyName->SetValue(FromUtf8(form.companyName));
    controls.contactName->SetValue(FromUtf8(form.contactName));
    controls.contactEmail->SetValue(FromUtf8(form.contactEmail));
    controls.receivers->SetValue(FromUtf8(form.receivers));
}
