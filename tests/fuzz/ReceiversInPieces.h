#pragma once

// The receivers of a document read two ways: whole, as the window and
// mailto read them, and in pieces cut at the given positions, as
// vantrel-cli receivers reads them. Both must always give the same.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/documents/DocumentFormat.h"
#include "core/documents/StoredReceivers.h"
#include "core/documents/TextEncoding.h"

inline Result<std::string> ReceiversReadWhole(std::string_view bytes, std::optional<int> delimiter)
{
    const Result<Document> document = ReadDocumentBytes(bytes);
    if (!document)
        return document.failure();
    return CollectReceivers(document->form.receivers, delimiter.value_or(document->receiverDelimiter));
}

// cuts: ascending positions inside bytes.
inline Result<std::string> ReceiversReadInPieces(std::string_view bytes, const std::vector<std::size_t>& cuts,
                                                 std::optional<int> delimiter)
{
    ReceiversOfDocument reader(delimiter);
    std::size_t from = 0;
    for (const std::size_t cut : cuts) {
        reader.Take(bytes.substr(from, cut - from));
        from = cut;
    }
    reader.Take(bytes.substr(from));
    return reader.Finish();
}

// As vantrel-cli reads a file: the list checked on a first reading, then
// passed on as it is collected on a second, unless it must be converted
// from Windows-1252 or may be too long and is held. Missing when the
// readings disagree.
inline Result<std::string> ReceiversCheckedThenPassed(std::string_view bytes,
                                                      const std::vector<std::size_t>& cuts,
                                                      std::optional<int> delimiter)
{
    const auto take = [&bytes, &cuts](ReceiversOfDocument& reader) {
        std::size_t from = 0;
        for (const std::size_t cut : cuts) {
            reader.Take(bytes.substr(from, cut - from));
            from = cut;
        }
        reader.Take(bytes.substr(from));
    };
    ReceiversOfDocument checker(delimiter, JoinedList::Checked);
    take(checker);
    const Result<PassedList> checked = checker.FinishPassing();
    if (!checked)
        return checked.failure();
    std::string printed;
    ReceiversOfDocument printer(delimiter, JoinedList::Passed,
                                [&printed](std::string_view joined) { printed += joined; });
    take(printer);
    const Result<PassedList> passed = printer.FinishPassing();
    // The check must find the runs with several at signs that the collector finds.
    if (passed && passed->severalAts != checked->severalAts)
        return Failure::Missing;
    if (checked->windows1252 || checked->severalAts)
        return ReceiversReadInPieces(bytes, cuts, delimiter);
    if (!passed || passed->windows1252 || printed.size() != passed->bytes)
        return Failure::Missing;
    return printed;
}

inline bool SameResult(const Result<std::string>& a, const Result<std::string>& b)
{
    return a ? b && *a == *b : !b && a.failure() == b.failure();
}

// A document whose receivers record holds stored as it is, with the
// length given; everything before it is a well-formed form.
inline std::string DocumentWithStoredReceivers(int delimiter, std::size_t length, std::string_view stored)
{
    std::string bytes = WriteDocumentBytes(FormValues{}, delimiter);
    bytes.resize(bytes.size() - 2);  // the empty receivers' "0 "
    return bytes + std::to_string(length) + ' ' + std::string(stored);
}

// The length the document writer gives a value stored so.
inline std::size_t StoredCharacters(std::string_view stored) { return stored.size() - CountCrLf(stored); }
