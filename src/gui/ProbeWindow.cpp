#include "gui/ProbeWindow.h"

#include <memory>

#include <wx/progdlg.h>
#include <wx/stopwatch.h>

#include "core/checks/UrlDownload.h"
#include "gui/PressReleaseApp.h"
#include "gui/PressReleaseFrame.h"

namespace {

constexpr int kProbeSteps = 2;
constexpr long kFinishedPauseMilliseconds = 1000;
constexpr unsigned long kPausePollMilliseconds = 20;
// libcurl reports progress for every chunk; the window needs far fewer
// updates to stay alive and to notice a Cancel click.
constexpr long kUpdateIntervalMilliseconds = 50;
constexpr std::size_t kShownUrlCharacters = 60;

struct ProbeTexts {
    wxString title;
    wxString firstMessage;
};

ProbeTexts TextsFor(ProbeUse use)
{
    if (use == ProbeUse::Image)
        return {kImageProbeTitle, kImageProbeMessage};
    return {kPageProbeTitle, kPageProbeMessage};
}

// Keeps the window answering while the download runs on this same thread;
// false once the user has pressed Cancel. The bar pulses: a stalled server
// or one that sends no size would otherwise leave it standing still.
class WindowProgress {
public:
    WindowProgress(wxProgressDialog& window, const wxString& message) : window_(window), message_(message) {}

    bool operator()()
    {
        if (keepGoing_ && sinceUpdate_.Time() >= kUpdateIntervalMilliseconds) {
            keepGoing_ = window_.Pulse(message_);
            sinceUpdate_.Start();
        }
        return keepGoing_;
    }

private:
    wxProgressDialog& window_;
    wxString message_;
    bool keepGoing_ = true;
    wxStopWatch sinceUpdate_;
};

// The URL under the title, shortened in its middle so that no URL widens
// the window beyond the screen.
wxString ShownUrl(const std::string& url)
{
    const wxString whole = wxString::FromUTF8(url.data(), url.size());
    if (whole.length() <= kShownUrlCharacters)
        return whole;
    const std::size_t half = kShownUrlCharacters / 2;
    return whole.Left(half) + wxString::FromUTF8("\u2026") + whole.Right(half);
}

// The finished window stays one second so that the user can see it; it
// keeps painting meanwhile instead of freezing.
void KeepShowingFinished(wxProgressDialog& window, const wxString& title)
{
    wxStopWatch shown;
    do {
        window.Update(1, title);
        wxMilliSleep(kPausePollMilliseconds);
    } while (shown.Time() < kFinishedPauseMilliseconds);
}

ProbeOutcome ProbeWithWindow(const std::string& url, ProbeUse use)
{
    const ProbeTexts texts = TextsFor(use);
    auto window = std::make_unique<wxProgressDialog>(texts.title, texts.firstMessage, kProbeSteps,
                                                     wxGetApp().mainWindow, wxPD_CAN_ABORT | wxPD_APP_MODAL);
    const wxString message = texts.title + "\n" + ShownUrl(url);
    window->Update(0, message);
    WindowProgress progress(*window, message);
    const ProbeOutcome outcome = ProbeByDownload(url, use, std::ref(progress));
    // A user who cancelled has seen enough of the window.
    if (!outcome.cancelled)
        KeepShowingFinished(*window, message);
    return outcome;
}

}  // namespace

ProbeOutcome ProbeUrl(const std::string& url, ProbeUse use, bool showProgress)
{
    return showProgress ? ProbeWithWindow(url, use) : ProbeByDownload(url, use, {});
}
