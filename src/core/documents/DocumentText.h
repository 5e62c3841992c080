#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// The bytes of a document as its reader sees them: every CR LF pair is one
// line feed, and it is taken apart as it is read, without a converted copy
// of the whole document.
class DocumentText {
public:
    explicit DocumentText(std::string bytes) : bytes_(std::move(bytes)) {}

    // Appends characters to out (or passes over them when out is null)
    // until count have been read or stop was read; false when the document
    // ends first.
    bool Read(std::size_t count, std::string* out, char stop = '\0');

    // The next count characters as one text, made in the place of the
    // bytes already read: the last record, often nearly the whole document,
    // is never copied into a buffer of its own. Nothing can be read after it.
    std::optional<std::string> TakeLast(std::size_t count);

    // Passes over the last count characters; false when fewer follow.
    // Nothing is read after them, so only their number matters: each takes
    // one byte, or two for a CR LF pair, and a count of the carriage
    // returns settles it for nearly every document without walking them.
    bool SkipLast(std::size_t count);

    // No more characters than this can follow.
    std::size_t BytesLeft() const { return bytes_.size() - pos_; }
    std::size_t Position() const { return pos_; }

private:
    static void Put(std::string* out, std::string_view piece)
    {
        if (out)
            out->append(piece);
    }

    std::string bytes_;
    std::size_t pos_ = 0;
};
