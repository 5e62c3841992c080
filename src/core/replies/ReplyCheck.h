#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "core/Result.h"
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

// Reads the source for reports about messages from senderAddress since
// the given time. progress gets the messages read and the total (0 when not
// yet known); false cancels.
ReplyCheck CheckReplies(const ReplySource& source, const std::string& senderAddress, std::time_t since,
                        const std::function<bool(std::size_t read, std::size_t total)>& progress);

// Whether a finding belongs on the do-not-send list: hard bounces,
// complaints and unsubscribes; never a soft bounce.
bool BelongsOnList(const ReplyFinding& finding);
DoNotSendEntry EntryFor(const ReplyFinding& finding);

// One tab-separated line per finding: address, what happened, the date
// (YYYY-MM-DD, or "-"), the evidence with tabs and line breaks as blanks.
std::string FindingLine(const ReplyFinding& finding);
