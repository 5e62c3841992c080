#pragma once

#include <string>
#include <string_view>

// The characters that keep their meaning in a URI and therefore stay when
// it is escaped.
inline constexpr std::string_view kUriReservedCharacters = ";/?:@&=+$,";

// Escapes text for a URI: a blank becomes "%20"; letters, digits,
// - _ . ! ~ * ( ) ' and the characters of reserved stay; every other byte,
// each byte of a UTF-8 character included, becomes "%" and two upper-case
// hexadecimal digits.
std::string EscapeUri(std::string_view text, std::string_view reserved = kUriReservedCharacters);

// The request that opens the e-mail draft: to the contact, every receiver
// in Bcc, the subject "Press release from " and the company, and a body
// that says how to paste the release. Each filled-in value is escaped as a
// whole component, so its own "?", "&" and "=" cannot end it early.
std::string MailtoRequest(const std::string& contactEmail, const std::string& bcc,
                          const std::string& companyName);

// Linux refuses to start a program with one argument of 128 KiB or more
// (the final zero byte counts), so a longer request cannot reach the
// desktop's e-mail program.
inline constexpr std::size_t kMaxLaunchArgumentBytes = 128 * 1024 - 1;

// What the window says once the draft is handed to the desktop: where the
// release is and what to do with it; with blanks or line breaks between
// the receivers, also that most mail programs drop such a Bcc list. When no
// e-mail program answered, only that and where the release is.
std::string EmailDraftNote(int receiverDelimiter, bool programAnswered);
// When no draft could be opened.
inline constexpr const char* kNoDraftNote = "No e-mail was opened. The press release is on the clipboard.";

inline constexpr const char* kEmailCaption = "Email";
inline constexpr const char* kRequestTooLongText =
    "The receiver list is too long for an e-mail draft!\n\n"
    "No e-mail has been opened. The press release is on the clipboard.\n\n"
    "Please choose Settings -> Export Receivers... to save the receivers to a file, "
    "and add them to the message in your e-mail program from there.\n\n";
