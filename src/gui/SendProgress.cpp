#include "gui/SendProgress.h"

#include <algorithm>

#include <wx/progdlg.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

wxString FromUtf8(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }

seconds Until(Clock::time_point end)
{
    const auto left = std::chrono::ceil<seconds>(end - Clock::now());
    return std::max(left, seconds(0));
}

// What the window says; the time left is counted from the pace, since the
// toolkit's own estimate knows nothing of pauses and waits.
class SendState {
public:
    explicit SendState(const DeliveryPlan& plan)
        : total_(plan.receivers.size()), pace_(plan.perMinute > 0 ? 60000 / plan.perMinute : 0)
    {
    }

    void Sending(std::size_t settled, const std::string& next)
    {
        settled_ = std::min(settled, total_);
        line_ =
            "Sending to " + next + " (" + std::to_string(settled + 1) + " of " + std::to_string(total_) + ")";
        waiting_ = false;
    }
    void Waiting(const RetryWait& wait)
    {
        wait_ = wait;
        waiting_ = true;
    }
    void Settled(const ReceiverOutcome& outcome)
    {
        sent_ += outcome.state == ReceiverState::Sent ? 1 : 0;
        refused_ += outcome.state == ReceiverState::Refused ? 1 : 0;
        inDoubt_ += outcome.state == ReceiverState::InDoubt ? 1 : 0;
    }
    void Pausing(Clock::time_point end) { pauseEnd_ = end; }
    void Paused() { waiting_ = false; }

    int Done() const { return static_cast<int>(settled_); }
    wxString Text() const
    {
        const seconds pause = Until(pauseEnd_);
        const std::string first = waiting_ ? RetryWaitText(pause, wait_.receivers, wait_.reply) : line_;
        const std::size_t after = total_ > settled_ + 1 ? total_ - settled_ - 1 : 0;
        const auto left = pause + std::chrono::ceil<seconds>(pace_ * static_cast<long>(after));
        return FromUtf8(first + "\nSent: " + std::to_string(sent_) +
                        ", refused: " + std::to_string(refused_) + ", in doubt: " + std::to_string(inDoubt_) +
                        "\n" + TimeLeftText(left));
    }

private:
    std::size_t total_;
    milliseconds pace_;
    std::size_t settled_ = 0;
    std::size_t sent_ = 0;
    std::size_t refused_ = 0;
    std::size_t inDoubt_ = 0;
    std::string line_ = "Connecting to the mail server...";
    bool waiting_ = false;
    RetryWait wait_;
    Clock::time_point pauseEnd_;
};

}  // namespace

std::string TimeLeftText(seconds left)
{
    const long total = std::max<long>(0, static_cast<long>(left.count()));
    const std::string secs = std::to_string(total % 60);
    return "About " + std::to_string(total / 60) + ":" + (secs.size() < 2 ? "0" : "") + secs + " left";
}

DeliverySummary SendWithProgress(wxWindow* parent, const DeliveryPlan& plan, const SmtpServer& server,
                                 SendLedger* ledger)
{
    SendState state(plan);
    // One more step than receivers: reaching the maximum would make the
    // window modal and wait for a click.
    wxProgressDialog progress("Sending", state.Text(), static_cast<int>(plan.receivers.size()) + 1, parent,
                              wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME);
    const auto update = [&] {
        return progress.Update(state.Done(), state.Text()) && !progress.WasCancelled();
    };
    SmtpTransport transport(server, update);

    DeliveryClock clock = SystemDeliveryClock();
    // Pauses and waits go in small steps, so the window answers, the
    // countdown ticks and Cancel is seen before the next message.
    clock.pause = [&](milliseconds duration) {
        const auto end = Clock::now() + duration;
        state.Pausing(end);
        while (Clock::now() < end && update())
            wxMilliSleep(50);
        state.Paused();
    };
    DeliveryEvents events;
    events.keepGoing = [&](std::size_t settled, std::size_t, const std::string& next) {
        state.Sending(settled, next);
        return update();
    };
    events.waiting = [&](const RetryWait& wait) { state.Waiting(wait); };
    events.settled = [&](const ReceiverOutcome& outcome) { state.Settled(outcome); };
    return DeliverRelease(plan, transport, ledger, clock, events);
}
