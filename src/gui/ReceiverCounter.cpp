#include "gui/ReceiverCounter.h"

ReceiverCounter::~ReceiverCounter()
{
    if (worker_.joinable())
        worker_.join();
}

void ReceiverCounter::Count(std::string prefix, std::string receivers, std::uint64_t version)
{
    runningPrefix_.reset();  // only the newest request is shown
    Request request{std::move(prefix), std::move(receivers), version};
    if (counting_)
        next_ = std::move(request);
    else
        Start(std::move(request));
}

bool ReceiverCounter::ShowKnown(const std::string& prefix, std::uint64_t version)
{
    if (counting_ && running_ == version) {
        next_.reset();
        runningPrefix_ = prefix;
        return true;
    }
    if (counting_ || !counted_ || counted_->version != version)
        return false;
    show_(prefix, counted_->counts);
    return true;
}

void ReceiverCounter::Forget()
{
    running_.reset();
    runningPrefix_.reset();
    next_.reset();
    counted_.reset();
}

void ReceiverCounter::Start(Request request)
{
    if (worker_.joinable())
        worker_.join();  // it has handed its result over already
    counting_ = true;
    running_ = request.version;
    runningPrefix_ = request.prefix;
    // The thread touches no window: its text comes back as an event.
    worker_ = std::thread([this, request = std::move(request)] {
        Counted counted{request.version, CountReceivers(request.receivers)};
        CallAfter([this, counted = std::move(counted)] { OnCounted(counted); });
    });
}

void ReceiverCounter::OnCounted(const Counted& counted)
{
    counting_ = false;
    // A count forgotten meanwhile belongs to a window that is gone.
    if (running_)
        counted_ = counted;
    running_.reset();
    if (runningPrefix_)
        show_(*runningPrefix_, counted.counts);
    runningPrefix_.reset();
    if (next_) {
        Request request = std::move(*next_);
        next_.reset();
        Start(std::move(request));
    }
}
