// Two programs that end at their first idle moment, for the start-up
// script: Vantrel's own application, and the toolkit's floor, a bare
// 835 x 470 frame with a status bar. Each prints its peak memory.
#include <cstdio>
#include <fstream>
#include <string>

#include <wx/wx.h>

#ifdef VANTREL_STARTUP_FULL
#include "gui/PressReleaseApp.h"
using BaseApp = PressReleaseApp;
#else
class BaseApp : public wxApp {
public:
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
        Bind(wxEVT_IDLE, [](wxIdleEvent&) {
            std::printf("peak memory:%s\n", PeakMemory().c_str());
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
