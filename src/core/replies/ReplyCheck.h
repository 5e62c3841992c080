#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Result.h"
#include "core/mail/SendLedger.h"
#include "core/replies/DoNotSendList.h"
#include "core/replies/MailboxReader.h"
#include "core/replies/ReplyReport.h"

// Where the replies are read from.
struct ReplySource {
    enum class Kind { Server, Maildir, Mbox } kind = Kind::Server;
    ImapMailbox server;
    std::string path;  // the Maildir folder or the mbox file
};

struct ReplyCheck {
    ReplySummary summary;
    MailboxReading reading;
};

// Reads the source for reports about the release's messages from
// senderAddress since it was first sent (all, when it never was).
// progress gets the messages read and the total (0 when not yet known);
// false cancels.
ReplyCheck CheckReplies(const ReplySource& source, const std::string& senderAddress, const SentRelease& sent,
                        const std::function<bool(std::size_t read, std::size_t total)>& progress);

// Where the replies to a sender's releases were read the last time: the
// kind and the Maildir or mbox path, kept in the settings by sender (an
// IMAP address is the setting MailImapServer's). Nothing when never.
std::optional<ReplySource> RememberedReplySource(const std::string& senderAddress);
Result<> RememberReplySource(const std::string& senderAddress, const ReplySource& source);

// What the release's ledger says of its sends, for CheckReplies.
SentRelease SentReleaseOf(const SendLedger& ledger);

// Whether a finding belongs on the do-not-send list: hard bounces,
// complaints and unsubscribes; never a soft bounce, a refusal by policy or
// another report.
bool BelongsOnList(const ReplyFinding& finding);
DoNotSendEntry EntryFor(const ReplyFinding& finding);

// "Messages read: 12: 3 reports, 1 unsubscribe request, 2 other replies,
// 6 about other mail" and, when there were, those set aside as older than
// the release and those that could not be read: every message said once.
std::string ReadingCountsText(const ReplyCheck& check);

// "2026-12-07", or "-" for no date.
std::string DayText(std::time_t when);

// One tab-separated line per finding: address, what happened, the date
// (YYYY-MM-DD, or "-"), the evidence with tabs and line breaks as blanks.
std::string FindingLine(const ReplyFinding& finding);
