#pragma once

#include <optional>
#include <string>

#include "core/form/FormValues.h"

// A press release document: 17 length-prefixed records ("%d", one blank,
// the value), no header. Line feeds in values are stored as CR LF and
// counted as one character; lengths count bytes of the UTF-8 text.
inline constexpr int kDocumentRecordCount = 17;

// Documents larger than this are refused on opening; no form comes near it.
inline constexpr std::size_t kMaxDocumentBytes = 64u * 1024 * 1024;

// The bytes of a document holding the form and the delimiter setting.
std::string WriteDocumentBytes(const FormValues& form, int receiverDelimiter);

struct DocumentReadOutcome {
    int recordsApplied = 0;  // records taken over, from the first on
    bool damaged = false;  // the document ended early or holds a bad length
    std::optional<int> receiverDelimiter;  // the stored setting, when record 16 was read
};

// Applies the records of a document to form, in file order, as far as the
// document is intact. Values that are not valid UTF-8 are read as
// Windows-1252. Never reads beyond the bytes given.
DocumentReadOutcome ReadDocumentBytes(const std::string& bytes, FormValues& form);
