#include "gui/ReplyCheckProgress.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include <wx/progdlg.h>

namespace {

// How often the window looks at the count.
constexpr int kLookMilliseconds = 50;

wxString CountText(std::size_t read, std::size_t total, bool cancelled)
{
    if (cancelled)
        return "Stopping...";
    std::string text = "Messages read: " + std::to_string(read);
    if (total > 0)
        text += " of " + std::to_string(total);
    return wxString::FromUTF8(text);
}

}  // namespace

ReplyCheck CheckRepliesWithProgress(wxWindow* parent, const ReplySource& source,
                                    const std::string& senderAddress, const SentRelease& sent)
{
    std::atomic<std::size_t> read{0};
    std::atomic<std::size_t> total{0};
    std::atomic<bool> cancelled{false};
    std::atomic<bool> done{false};
    ReplyCheck check;
    std::thread worker([&] {
        check = CheckReplies(source, senderAddress, sent, [&](std::size_t count, std::size_t of) {
            read = count;
            total = of;
            return !cancelled;
        });
        done = true;
    });
    {
        // Its range follows the total once the mailbox says it; one more
        // step than that, since reaching the maximum would end the window.
        wxProgressDialog progress("Checking Replies", CountText(0, 0, false), 1, parent,
                                  wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME);
        while (!done) {
            const std::size_t of = total;
            const wxString text = CountText(read, of, cancelled);
            bool going = true;
            if (of == 0) {
                going = progress.Pulse(text);
            } else {
                if (progress.GetRange() != static_cast<int>(of) + 1)
                    progress.SetRange(static_cast<int>(of) + 1);
                going = progress.Update(static_cast<int>(std::min<std::size_t>(read, of)), text);
            }
            if (!going || progress.WasCancelled())
                cancelled = true;
            wxMilliSleep(kLookMilliseconds);
        }
    }
    worker.join();
    return check;
}
