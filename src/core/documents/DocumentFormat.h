#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "core/form/FormValues.h"
#include "core/receivers/ReceiverList.h"

// A press release document: 17 length-prefixed records ("%d", one blank,
// the value), no header. Line feeds in values are stored as CR LF and
// counted as one character; lengths count bytes of the UTF-8 text.
inline constexpr int kDocumentRecordCount = 17;

// Documents larger than this are refused on opening; no form comes near it.
inline constexpr std::size_t kMaxDocumentBytes = 64u * 1024 * 1024;

// The bytes of a document holding the form and the delimiter setting.
std::string WriteDocumentBytes(const FormValues& form, int receiverDelimiter);

// The same bytes handed to put piece by piece, so that a document of
// megabytes is never made whole in memory; false as soon as put gives false.
using PutDocumentPiece = std::function<bool(std::string_view piece)>;
bool WriteDocumentPieces(const FormValues& form, int receiverDelimiter, const PutDocumentPiece& put);

// What a document holds.
struct Document {
    FormValues form;
    int receiverDelimiter = kDelimiterSemicolon;  // as stored, also beyond the menu's four
    std::vector<std::string> cutAtNul;  // labels of text values cut at a zero byte
};

// A command that never uses the receivers leaves them out: the record is
// still checked, but the form's receivers stay empty and a zero byte in
// them is not reported.
enum class ReceiversText { Read, Skip };

// The whole document, or Damaged: a document is taken whole or not at all.
// Values that are not valid UTF-8 are read as Windows-1252. Never reads
// beyond the bytes given.
Result<Document> ReadDocumentBytes(std::string_view bytes, ReceiversText receivers = ReceiversText::Read);

// The same, made in the place of the bytes given: a document of megabytes
// is never held twice.
Result<Document> ReadDocumentTakingBytes(std::string bytes, ReceiversText receivers = ReceiversText::Read);

// Reads a document handed over piece by piece (ReadWholeFileInPieces) for
// the commands that never hold the receivers: they are checked as they
// pass, handed on to passReceivers if there is one, and never held. Finish
// gives what ReadDocumentBytes gives with ReceiversText::Skip for all the
// pieces together.
class DocumentWithoutReceivers {
public:
    // The receivers' value as stored (line feeds as CR LF, not cut at a
    // zero byte, in no particular encoding), in order and never beyond its
    // end, with the records before it and the length its record gives it.
    using PassReceivers =
        std::function<void(const Document& head, std::size_t characters, std::string_view stored)>;

    DocumentWithoutReceivers() = default;
    explicit DocumentWithoutReceivers(PassReceivers passReceivers) : pass_(std::move(passReceivers)) {}

    void Take(std::string_view piece);
    Result<Document> Finish();

private:
    void TryHead();
    void PassLast(std::string_view piece);

    PassReceivers pass_;
    std::string head_;  // the bytes up to the receivers' value
    std::size_t nextTry_ = 0;  // the first piece may hold the whole head
    std::optional<Document> document_;
    std::size_t lastLength_ = 0;
    std::size_t lastLeft_ = 0;  // characters of the value still to come
    bool lastEndedInCr_ = false;  // its last byte so far may be half of a pair
};
