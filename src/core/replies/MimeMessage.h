#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

// Reading of mail as it arrives from strangers: every function takes any
// bytes (CR LF or LF line ends, NUL bytes, no end where one is due), works
// in time linear in its input and never recurses.

struct HeaderField {
    std::string name;  // lower case
    std::string value;  // unfolded, trimmed
};
using HeaderFields = std::vector<HeaderField>;

// A message or a body part: its fields and its body, still encoded.
struct MimeEntity {
    HeaderFields fields;
    std::string_view body;
};

// The fields up to the first blank line; text is left after that line.
// Also reads the blank-line separated blocks of a delivery status.
HeaderFields ReadFields(std::string_view& text);
MimeEntity ReadEntity(std::string_view text);

// The value of the first field of that name (lower case), or nullptr.
const std::string* FindField(const HeaderFields& fields, std::string_view name);

struct ContentType {
    std::string type;  // "multipart/report", lower case; "text/plain" when none is given
    std::vector<HeaderField> parameters;  // names lower case, values unquoted
    std::string Parameter(std::string_view name) const;
};
ContentType ReadContentType(const HeaderFields& fields);

// The parts between the boundary lines; a last part whose boundary never
// closes runs to the end. Empty when the boundary is missing or not found.
std::vector<std::string_view> SplitMultipart(std::string_view body, std::string_view boundary);

// The body without its Content-Transfer-Encoding (base64, quoted-printable):
// a view of the body itself when it needs no decoding, else of storage.
std::string_view DecodedBody(const MimeEntity& entity, std::string& storage);

// Content-Transfer-Encoding base64 (bytes outside the alphabet passed
// over) and quoted-printable; also the B and Q of encoded words.
std::string DecodeBase64(std::string_view text);
std::string DecodeQuotedPrintable(std::string_view text);
