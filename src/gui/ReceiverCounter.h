#pragma once

#include <functional>
#include <optional>
#include <string>
#include <thread>

#include <wx/event.h>

// Counts the receivers field on a thread of its own: a list of a million
// addresses takes seconds to split and compare, and the window must not
// stand still meanwhile. One count runs at a time; of the requests made
// meanwhile only the newest is counted, and only the newest is shown.
class ReceiverCounter : public wxEvtHandler {
public:
    using Show = std::function<void(const std::string& text)>;
    explicit ReceiverCounter(Show show) : show_(std::move(show)) {}
    ~ReceiverCounter() override;  // waits for a count under way
    ReceiverCounter(const ReceiverCounter&) = delete;
    ReceiverCounter& operator=(const ReceiverCounter&) = delete;

    // Shows prefix and "298 receivers; 2 entries are not addresses; 1 twice".
    void Count(std::string prefix, std::string receivers, int delimiter);
    // What is under way or waiting is never shown (the window is gone).
    void Forget();

private:
    struct Request {
        std::string prefix;
        std::string receivers;
        int delimiter;
    };
    void Start(Request request);
    void OnCounted(unsigned generation, const std::string& text);

    Show show_;
    std::thread worker_;
    bool counting_ = false;
    unsigned generation_ = 0;  // of the newest request
    std::optional<Request> next_;
};
