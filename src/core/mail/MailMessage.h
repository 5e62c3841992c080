#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "core/form/FormValues.h"
#include "core/receivers/MailAddresses.h"

// One message of a send, before it is written out.
struct MailMessage {
    Mailbox from;
    Mailbox to;  // one receiver, with the name the list gives; there is never a Bcc
    std::string subject;
    std::string body;  // lines end with a line feed, as the composer writes them
    std::time_t date = 0;
    std::string messageId;  // without the angle brackets
    // Where the receiver opts out: List-Unsubscribe's addresses, in order
    // (an https one first when there is one, then the mailto one).
    std::vector<std::string> unsubscribe;
    bool oneClick = false;  // the https address takes RFC 8058's one-click POST
    // Which release it is, in a header of our own that the providers which
    // replace the Message-ID leave: their bounces are still known as ours.
    std::string releaseId;
};

// "Press release from " and the company, as Generate, Email names it.
std::string ReleaseSubject(const FormValues& form);

// The sender: the configured one when set, else the form's contact.
Mailbox ReleaseSender(const FormValues& form, const std::string& configuredSender);

// The whole message as it goes to the server: headers and a UTF-8 text
// body in quoted-printable, lines ending in CR LF, none over 76
// characters. A line break or any other control character in a name or
// the subject becomes a blank, so no form value can start a header.
std::string WriteMailMessage(const MailMessage& message);

// "mailto:press@acme.com?subject=unsubscribe", the address escaped as a URL needs.
std::string UnsubscribeMailto(const std::string& senderAddress);

// The pieces, for the tests and the preview.
std::string EncodeQuotedPrintable(const std::string& text);
std::string EncodeHeaderText(const std::string& text, std::size_t firstLineUsed);
std::string MailDate(std::time_t time);
