#pragma once

#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"

class AccessTokenSource;

// Messages larger than this are passed over unread (and counted).
inline constexpr std::size_t kLargestReplyMessage = 16u << 20;

// What reading a mailbox came to.
struct MailboxReading {
    std::size_t read = 0;  // handed to the visitor
    std::size_t tooLarge = 0;
    std::size_t vanished = 0;  // listed, then gone before it could be read
    std::size_t unreadable = 0;  // there, but refused to us (a file's permissions)
    std::string problem;  // why reading stopped early (connection, login, deadline); empty when it did not
    bool cancelled = false;
};

// Gets each message in turn; false stops the reading (Cancel).
// total is the number of messages to read when known, else 0.
using VisitMessage = std::function<bool(std::string_view message, std::size_t index, std::size_t total)>;

// largest is kLargestReplyMessage but in tests.

// A local Maildir (cur and new, in the order of the files' names), read
// only; messages older than since (by the file's time) are passed over.
MailboxReading ReadMaildir(const std::string& folder, std::time_t since, const VisitMessage& visit,
                           std::size_t largest = kLargestReplyMessage);

// A local mbox file, read only and in pieces, split at its "From " lines;
// messages older than since (by the date on that line, when it reads) are
// passed over. The message handed over is without the "From " line.
MailboxReading ReadMbox(const std::string& path, std::time_t since, const VisitMessage& visit,
                        std::size_t largest = kLargestReplyMessage);

// The sender's IMAP mailbox, read only: EXAMINE, SEARCH SINCE and
// BODY.PEEK, never a flag changed. The same login as sending. SINCE goes
// by whole days, so a message of since's own day comes along.
struct ImapMailbox {
    std::string
        url;  // imaps://host[:port][/MAILBOX] or imap://host[:port][/MAILBOX] (STARTTLS required but on loopback)
    std::string user;
    std::string password;
    std::shared_ptr<AccessTokenSource> tokens;  // set: XOAUTH2/OAUTHBEARER instead of the password
    std::string caFile;
    std::vector<std::string> resolve;  // "host:port:address", as curl's --resolve
    std::chrono::seconds deadline{60};  // a server that says nothing for this long has stopped
};
MailboxReading ReadImap(const ImapMailbox& mailbox, std::time_t since, const VisitMessage& visit,
                        std::size_t largest = kLargestReplyMessage);
