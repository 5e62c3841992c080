// Programs that end at their first idle moment, for the start-up script:
// Vantrel's own application; the toolkit's floor, a bare 835 x 470 frame
// with a status bar; and the window's own floor, that frame with the same
// four menus and sixteen plain controls in their places, but no
// background, names, styles or documents. Each prints its peak memory.
// For bench/receivers.sh, Vantrel opens the document named as its
// argument and, with VANTREL_BENCH_COMMAND=check or email, runs that
// command at the first idle moment, every box answered with OK; the
// window's floor puts the document's text into its receivers control;
// with check or email it downloads the two URLs of VANTREL_BENCH_URLS
// ("page image") with libcurl, each under a progress window that stays a
// second when done, as Vantrel's check does, and for email then reads the
// receivers back, as the least that a program showing the receivers must
// do. The floor's controls draw with the font of Vantrel's
// fields (Liberation Sans Narrow at 12 pixels, through one style sheet),
// which takes longer to lay out than the theme's own.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <wx/modalhook.h>
#include <wx/wx.h>

namespace {

[[maybe_unused]] std::string BenchCommand()
{
    const char* command = std::getenv("VANTREL_BENCH_COMMAND");
    return command ? command : "";
}

}  // namespace

#ifdef VANTREL_STARTUP_FULL
#include "gui/CommandIds.h"
#include "gui/PressReleaseApp.h"
#include "gui/PressReleaseFrame.h"

class AnswerEveryBox : public wxModalDialogHook {
protected:
    int Enter(wxDialog*) override { return wxID_OK; }
    void Exit(wxDialog*) override {}
};

class BaseApp : public PressReleaseApp {
public:
    void RunBenchCommand()
    {
        const std::string command = BenchCommand();
        if (command.empty())
            return;
        static AnswerEveryBox answer;
        answer.Register();
        wxCommandEvent event(wxEVT_MENU, command == "email" ? ID_GENERATE_EMAIL : ID_CHECK_EVERYTHING);
        event.SetEventObject(mainWindow);
        mainWindow->GetEventHandler()->ProcessEvent(event);
    }
};
#elif defined(VANTREL_STARTUP_FORM)
#include <curl/curl.h>
#include <dlfcn.h>
#include <gtk/gtk.h>
#include <sstream>
#include <wx/progdlg.h>

namespace {

std::size_t Discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

int Pulse(void* window, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    static_cast<wxProgressDialog*>(window)->Pulse();
    return 0;
}

// libcurl is loaded when the first URL is checked, as Vantrel loads it, so
// that its libraries weigh on the check and not on the start.
void ProbeUrl(const std::string& url)
{
    static void* curlLibrary = dlopen("libcurl.so.4", RTLD_NOW);
    if (!curlLibrary)
        return;
    const auto init = reinterpret_cast<CURL* (*)()>(dlsym(curlLibrary, "curl_easy_init"));
    const auto setopt = reinterpret_cast<CURLcode (*)(CURL*, CURLoption, ...)>(dlsym(curlLibrary, "curl_easy_setopt"));
    const auto perform = reinterpret_cast<CURLcode (*)(CURL*)>(dlsym(curlLibrary, "curl_easy_perform"));
    const auto cleanup = reinterpret_cast<void (*)(CURL*)>(dlsym(curlLibrary, "curl_easy_cleanup"));
    wxProgressDialog window("Checking...", "Checking...\n" + url, 100, wxTheApp->GetTopWindow(),
                           wxPD_CAN_ABORT | wxPD_APP_MODAL);
    CURL* curl = init();
    setopt(curl, CURLOPT_URL, url.c_str());
    setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
    setopt(curl, CURLOPT_XFERINFOFUNCTION, Pulse);
    setopt(curl, CURLOPT_XFERINFODATA, &window);
    setopt(curl, CURLOPT_NOPROGRESS, 0L);
    perform(curl);
    cleanup(curl);
    wxStopWatch shown;
    do {
        window.Update(1);
        wxMilliSleep(10);
    } while (shown.Time() < 1000);
}

constexpr const char* kFieldClass = "floor-field";

void UseFieldFont(wxWindow* field)
{
    static bool installed = false;
    if (!installed) {
        GtkCssProvider* provider = gtk_css_provider_new();
        gtk_css_provider_load_from_data(provider,
                                        ".floor-field, .floor-field * {"
                                        " font-family: \"Liberation Sans Narrow\", \"DejaVu Sans Condensed\","
                                        " sans-serif; font-size: 12px; }",
                                        -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        g_object_unref(provider);
        installed = true;
    }
    gtk_style_context_add_class(gtk_widget_get_style_context(field->GetHandle()), kFieldClass);
}

}  // namespace

class BaseApp : public wxApp {
public:
    void RunBenchCommand()
    {
        if (BenchCommand() != "check" && BenchCommand() != "email")
            return;
        const char* urls = std::getenv("VANTREL_BENCH_URLS");
        std::istringstream words(urls ? urls : "");
        for (std::string url; words >> url;)
            ProbeUrl(url);
        if (BenchCommand() != "email")
            return;
        // As UTF-8 straight from GTK's buffer, the cheapest way there is.
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(receivers_->GetConnectWidget()));
        GtkTextIter start, end;
        gtk_text_buffer_get_bounds(buffer, &start, &end);
        gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, TRUE);
        const std::string receivers = text;
        g_free(text);
        std::printf("read back: %zu\n", receivers.size());
    }

    bool OnInit() override
    {
        auto* frame = new wxFrame(nullptr, wxID_ANY, "Vantrel", wxPoint(20, 20), wxSize(835, 470));
        frame->CreateStatusBar(1);
        auto* panel = new wxPanel(frame, wxID_ANY, wxPoint(0, 0), wxSize(536, 1024));
        const wxRect texts[] = {{20, 38, 160, 20},   {190, 38, 30, 20},  {160, 92, 60, 20},
                                {20, 146, 200, 20},  {20, 200, 200, 20}, {20, 254, 60, 20},
                                {120, 254, 100, 20}, {20, 308, 200, 20}, {460, 308, 50, 18},
                                {20, 362, 200, 20},  {260, 362, 250, 20}};
        for (const wxRect& place : texts)
            UseFieldFont(new wxTextCtrl(panel, wxID_ANY, "", place.GetPosition(), place.GetSize()));
        UseFieldFont(new wxTextCtrl(panel, wxID_ANY, "", wxPoint(260, 38), wxSize(250, 234), wxTE_MULTILINE));
        receivers_ = new wxTextCtrl(panel, wxID_ANY, "", wxPoint(550, 38), wxSize(250, 342),
                                    wxTE_MULTILINE | wxHSCROLL);
        UseFieldFont(receivers_);
        wxArrayString kinds;
        for (int i = 0; i < 28; ++i)
            kinds.Add(wxString::Format("Kind %d", i));
        auto* kind = new wxChoice(panel, wxID_ANY, wxPoint(20, 92), wxSize(130, 18), kinds);
        kind->SetSelection(0);
        UseFieldFont(kind);
        kinds.resize(7);
        auto* rating = new wxChoice(panel, wxID_ANY, wxPoint(360, 308), wxSize(90, 18), kinds);
        rating->SetSelection(0);
        UseFieldFont(rating);
        UseFieldFont(new wxCheckBox(panel, wxID_ANY, "", wxPoint(260, 308)));
        auto* bar = new wxMenuBar;
        const int items[] = {4, 9, 6, 3};
        const char* titles[] = {"&File", "&Settings", "&Generate", "&Help"};
        for (int m = 0; m < 4; ++m) {
            auto* menu = new wxMenu;
            for (int i = 0; i < items[m]; ++i)
                menu->Append(wxID_ANY, wxString::Format("Item &%d", i));
            bar->Append(menu, titles[m]);
        }
        frame->SetMenuBar(bar);
        frame->Centre(wxBOTH);
        frame->Show(true);
        if (argc > 1) {
            std::ifstream file(argv[1].utf8_string(), std::ios::binary);
            std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
            receivers_->SetValue(wxString::FromUTF8(text.data(), text.size()));
        }
        return true;
    }

private:
    wxTextCtrl* receivers_ = nullptr;
};
#else
class BaseApp : public wxApp {
public:
    void RunBenchCommand() {}

    bool OnInit() override
    {
        auto* frame = new wxFrame(nullptr, wxID_ANY, "Vantrel", wxDefaultPosition, wxSize(835, 470));
        frame->CreateStatusBar(1);
        frame->Show(true);
        return true;
    }
};
#endif

namespace {

// Peak resident memory in KiB, as the kernel counted it.
std::string PeakMemory()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return line.substr(6);
    return "?";
}

}  // namespace

class StartupApp : public BaseApp {
public:
    bool OnInit() override
    {
        if (!BaseApp::OnInit())
            return false;
        Bind(wxEVT_IDLE, [this](wxIdleEvent&) {
            // The command's probe windows have idle moments of their own.
            static bool running = false;
            if (running)
                return;
            running = true;
            RunBenchCommand();
            std::printf("peak memory:%s\n", PeakMemory().c_str());
            // VANTREL_BENCH_SMAPS=FILE keeps the mappings, to see where memory lies.
            if (const char* smaps = std::getenv("VANTREL_BENCH_SMAPS")) {
                std::ifstream in("/proc/self/smaps");
                std::ofstream(smaps) << in.rdbuf();
            }
            std::fflush(stdout);
            std::_Exit(0);
        });
        wxWakeUpIdle();
        return true;
    }
};

#ifdef VANTREL_STARTUP_FULL
// wxIMPLEMENT_APP, but the program's code keeps its wxGetApp().
wxIMPLEMENT_WX_THEME_SUPPORT wxIMPLEMENT_WXWIN_MAIN static wxAppConsole* CreateStartupApp()
{
    wxAppConsole::CheckBuildOptions(WX_BUILD_OPTIONS_SIGNATURE, "bench_startup_vantrel");
    return new StartupApp;
}
static wxAppInitializer startupAppInitializer(CreateStartupApp);
PressReleaseApp& wxGetApp() { return *static_cast<PressReleaseApp*>(wxApp::GetInstance()); }
#else
wxIMPLEMENT_APP(StartupApp);
#endif
