#include "gui/SendProgress.h"

#include <wx/progdlg.h>

namespace {

wxString FromUtf8(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }

}  // namespace

DeliverySummary SendWithProgress(wxWindow* parent, const DeliveryPlan& plan, const SmtpServer& server,
                                 SendLedger* ledger)
{
    const int total = static_cast<int>(plan.receivers.size());
    // One more step than receivers: reaching the maximum would make the
    // window modal and wait for a click.
    wxProgressDialog progress("Sending", "Connecting to the mail server...", total + 1, parent,
                              wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME |
                                  wxPD_REMAINING_TIME);
    int done = 0;
    wxString current = "Connecting to the mail server...";
    SmtpTransport transport(server, [&] { progress.Update(done, current); });

    DeliveryClock clock = SystemDeliveryClock();
    // The pace's pauses go in small steps, so the window answers and
    // Cancel is seen before the next message.
    clock.pause = [&](std::chrono::milliseconds duration) {
        const auto end = std::chrono::steady_clock::now() + duration;
        while (std::chrono::steady_clock::now() < end && !progress.WasCancelled()) {
            progress.Update(done, current);
            wxMilliSleep(50);
        }
    };
    DeliveryEvents events;
    events.keepGoing = [&](std::size_t settled, std::size_t, const std::string& next) {
        done = static_cast<int>(std::min<std::size_t>(settled, total));
        current = FromUtf8("Sending to " + next + " (" + std::to_string(settled + 1) + " of " +
                           std::to_string(total) + ")");
        return progress.Update(done, current) && !progress.WasCancelled();
    };
    return DeliverRelease(plan, transport, ledger, clock, events);
}

std::string DeliverySummaryText(const DeliverySummary& summary)
{
    std::string text = "Sent: " + std::to_string(summary.sent) + "\n";
    if (summary.alreadySent > 0)
        text += "Had it already: " + std::to_string(summary.alreadySent) + "\n";
    text += "Refused: " + std::to_string(summary.refused) + "\n";
    for (const ReceiverOutcome& outcome : summary.receivers)
        if (outcome.state == ReceiverState::Refused)
            text += "    " + outcome.address + ": " + outcome.reply + "\n";
    text += "Left to send: " + std::to_string(summary.left) + "\n";
    if (!summary.stopReason.empty())
        text += "\nThe sending stopped: " + summary.stopReason + "\n";
    else if (summary.cancelled)
        text += "\nThe sending was cancelled.\n";
    if (summary.left > 0)
        text += "Send again to reach those left; nobody gets the release twice.\n";
    return text;
}
