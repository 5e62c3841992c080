#include "gui/ReceiverCounter.h"

#include "core/mail/MailAddresses.h"

ReceiverCounter::~ReceiverCounter()
{
    if (worker_.joinable())
        worker_.join();
}

void ReceiverCounter::Count(std::string prefix, std::string receivers, int delimiter, std::uint64_t version)
{
    ++generation_;
    Request request{std::move(prefix), std::move(receivers), delimiter, version};
    if (counting_)
        next_ = std::move(request);
    else
        Start(std::move(request));
}

bool ReceiverCounter::ShowKnown(const std::string& prefix, std::uint64_t version, int delimiter)
{
    if (counting_ || !counted_ || counted_->version != version || counted_->delimiter != delimiter)
        return false;
    ++generation_;
    show_(prefix + counted_->text);
    return true;
}

void ReceiverCounter::Forget()
{
    forgotten_ = ++generation_;
    next_.reset();
    counted_.reset();
}

void ReceiverCounter::Start(Request request)
{
    if (worker_.joinable())
        worker_.join();  // it has handed its result over already
    counting_ = true;
    const unsigned generation = generation_;
    // The thread touches no window: its text comes back as an event.
    worker_ = std::thread([this, generation, request = std::move(request)] {
        Counted counted{request.version, request.delimiter,
                        ReceiverCountText(CountReceivers(request.receivers, request.delimiter))};
        CallAfter([this, generation, counted = std::move(counted), prefix = request.prefix] {
            OnCounted(generation, counted, prefix);
        });
    });
}

void ReceiverCounter::OnCounted(unsigned generation, const Counted& counted, const std::string& prefix)
{
    counting_ = false;
    // A count forgotten meanwhile belongs to a window that is gone.
    if (generation >= forgotten_)
        counted_ = counted;
    if (next_) {
        Request request = std::move(*next_);
        next_.reset();
        Start(std::move(request));
    } else if (generation == generation_) {
        show_(prefix + counted.text);
    }
}
