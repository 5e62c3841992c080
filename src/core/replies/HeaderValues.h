#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

// The values of header fields as strangers write them: any bytes, time
// linear in the text, no recursion.

// A header value with its RFC 2047 encoded words decoded (ISO-8859-1 and
// Windows-1252 made UTF-8, other character sets left as bytes).
std::string DecodeEncodedWords(std::string_view text);

// Text without its RFC 5322 comments "(...)", quoted strings kept.
std::string WithoutComments(std::string_view text);
std::string_view Trimmed(std::string_view text);
std::string LowerAscii(std::string_view text);
// The text up to the first blank or ';' after leading blanks.
std::string_view FirstWord(std::string_view text);

// The addresses of an address list ("Ann <Ann@X.org>, b@y.org, group: c@z.org;"),
// lower case, not yet checked to be addresses.
std::vector<std::string> AddressesIn(std::string_view list);
// The "<...>" identifiers of a Message-ID, In-Reply-To or References
// value, without brackets; a lone identifier without brackets too.
std::vector<std::string> MessageIdsIn(std::string_view value);

// An RFC 5322 date ("Tue, 8 Dec 2026 08:00:00 +0100"), also with obsolete
// zones, two-digit years and comments; 0 when it does not read.
std::time_t ReadMailDate(std::string_view text);
