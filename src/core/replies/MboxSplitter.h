#pragma once

#include <cstddef>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

// The time on an mbox "From " line ("From a@b.org Tue Dec  8 08:25:23 2026",
// asctime's format, taken as UTC); -1 when it does not read.
std::time_t FromLineTime(std::string_view line);

// Splits an mbox file handed over in pieces of any size into its messages:
// a message begins after a "From " line that starts the file or follows a
// blank line, and ends before the blank line of the next.
class MboxSplitter {
public:
    // Gets each message (without its "From " line); false stops the splitting.
    using TakeMessage = std::function<bool(std::string_view message, std::size_t index)>;

    // Messages dated before since are passed over, as are (and counted)
    // messages longer than largest, without being held.
    MboxSplitter(std::time_t since, std::size_t largest, TakeMessage take);

    void Take(std::string_view piece);
    // The end of the file: the last message is handed over.
    void Finish();

    bool Stopped() const { return stopped_ || notMbox_; }
    bool NotMbox() const { return notMbox_; }
    std::size_t TooLarge() const { return tooLarge_; }

private:
    enum class LineKind { Undecided, Body, Separator };
    void TakePart(std::string_view part, bool endsLine);
    void Decide();
    void EndLine();
    void Append(std::string_view bytes);
    void EndMessage();

    std::time_t since_;
    std::size_t largest_;
    TakeMessage take_;
    std::string message_;
    std::string head_;  // the first bytes of the line, until they tell its kind
    std::string fromLine_;
    LineKind kind_ = LineKind::Undecided;
    std::size_t lineBytes_ = 0;
    bool blankBefore_ = true;  // the file's start counts as a blank line
    bool lineIsBlank_ = false;
    bool inMessage_ = false;
    bool skipping_ = false;  // older than since
    bool oversize_ = false;
    bool stopped_ = false;
    bool notMbox_ = false;
    std::size_t index_ = 0;
    std::size_t tooLarge_ = 0;
};
