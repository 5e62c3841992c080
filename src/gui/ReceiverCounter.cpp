#include "gui/ReceiverCounter.h"

#include "core/mail/MailAddresses.h"

ReceiverCounter::~ReceiverCounter()
{
    if (worker_.joinable())
        worker_.join();
}

void ReceiverCounter::Count(std::string prefix, std::string receivers, int delimiter)
{
    ++generation_;
    Request request{std::move(prefix), std::move(receivers), delimiter};
    if (counting_)
        next_ = std::move(request);
    else
        Start(std::move(request));
}

void ReceiverCounter::Forget()
{
    ++generation_;
    next_.reset();
}

void ReceiverCounter::Start(Request request)
{
    if (worker_.joinable())
        worker_.join();  // it has handed its result over already
    counting_ = true;
    const unsigned generation = generation_;
    // The thread touches no window: its text comes back as an event.
    worker_ = std::thread([this, generation, request = std::move(request)] {
        const std::string text =
            request.prefix + ReceiverCountText(SelectReceivers(request.receivers, request.delimiter));
        CallAfter([this, generation, text] { OnCounted(generation, text); });
    });
}

void ReceiverCounter::OnCounted(unsigned generation, const std::string& text)
{
    counting_ = false;
    if (next_) {
        Request request = std::move(*next_);
        next_.reset();
        Start(std::move(request));
    } else if (generation == generation_) {
        show_(text);
    }
}
