#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include <wx/event.h>

#include "core/receivers/MailAddresses.h"

// Counts the receivers field on a thread of its own: a list of a million
// addresses takes seconds to split and compare, and the window must not
// stand still meanwhile. One count runs at a time; of the requests made
// meanwhile only the newest is counted, and only the newest is shown.
class ReceiverCounter : public wxEvtHandler {
public:
    // Shows prefix and ReceiverCountText(counts).
    using Show = std::function<void(const std::string& prefix, const ReceiverCounts& counts)>;
    explicit ReceiverCounter(Show show) : show_(std::move(show)) {}
    ~ReceiverCounter() override;  // waits for a count under way
    ReceiverCounter(const ReceiverCounter&) = delete;
    ReceiverCounter& operator=(const ReceiverCounter&) = delete;

    // version names the field's text (FieldTextVersion), so that the same
    // text is not counted again.
    void Count(std::string prefix, std::string receivers, std::uint64_t version);
    // Shows prefix and the count of this version of the text without
    // counting it again: at once when it was counted
    // last, or when the count under way is of it, as soon as that is done.
    // False when it must be counted.
    bool ShowKnown(const std::string& prefix, std::uint64_t version);
    // What is under way or waiting is never shown (the window is gone), and
    // the last count belongs to the window that is gone.
    void Forget();

private:
    struct Request {
        std::string prefix;
        std::string receivers;
        std::uint64_t version;
    };
    struct Counted {
        std::uint64_t version;
        ReceiverCounts counts;
    };
    void Start(Request request);
    void OnCounted(const Counted& counted);

    Show show_;
    std::thread worker_;
    bool counting_ = false;
    // What the count under way counts, unless forgotten, and the prefix it
    // is shown with unless a newer request came.
    std::optional<std::uint64_t> running_;
    std::optional<std::string> runningPrefix_;
    std::optional<Request> next_;
    std::optional<Counted> counted_;  // the last count finished
};
