#include "core/replies/MailboxReader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "core/checks/CurlLibrary.h"
#include "core/mail/SmtpTransport.h"
#include "core/replies/ImapSession.h"

namespace {

// The mailbox the URL names after the server (percent-encoded), INBOX when none.
std::string MailboxName(const std::string& url, std::string& problem)
{
    const std::size_t authority = url.find("://");
    const std::size_t slash = url.find('/', authority == std::string::npos ? 0 : authority + 3);
    std::string path = slash == std::string::npos ? std::string() : url.substr(slash + 1);
    path = path.substr(0, path.find_first_of(";?#"));
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    std::string name;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '%' && i + 2 < path.size() && std::isxdigit(static_cast<unsigned char>(path[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(path[i + 2]))) {
            name += static_cast<char>(std::stoi(path.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            name += path[i];
        }
    }
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7f) {
            problem = "the mailbox in the server URL must be plain ASCII without control characters";
            return {};
        }
    }
    return name.empty() ? "INBOX" : name;
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// "01-Dec-2026": the day of since in UTC, in IMAP's words whatever the locale.
std::string ImapDate(std::time_t since)
{
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm day{};
    if (!gmtime_r(&since, &day))
        return "01-Jan-1970";
    char text[16];
    std::snprintf(text, sizeof text, "%02d-%s-%04d", day.tm_mday, kMonths[day.tm_mon], day.tm_year + 1900);
    return text;
}

using Uid = unsigned long long;

// "3:7,9,12:13" for the UIDs, which are sorted.
std::string UidSet(const std::vector<Uid>& uids)
{
    std::string set;
    for (std::size_t i = 0; i < uids.size();) {
        std::size_t last = i;
        while (last + 1 < uids.size() && uids[last + 1] == uids[last] + 1)
            ++last;
        if (!set.empty())
            set += ',';
        set += std::to_string(uids[i]);
        if (last > i) {
            set += ':';
            set += std::to_string(uids[last]);
        }
        i = last + 1;
    }
    return set;
}

// The number after "NAME " among a FETCH response's items; false when none.
bool FetchItem(const std::string& text, const std::string& name, Uid& value)
{
    for (std::size_t at = text.find(name + " "); at != std::string::npos;
         at = text.find(name + " ", at + 1)) {
        if (at == 0 || (text[at - 1] != '(' && text[at - 1] != ' '))
            continue;
        const std::size_t digits = at + name.size() + 1;
        const std::size_t end = text.find_first_not_of("0123456789", digits);
        const std::size_t length = (end == std::string::npos ? text.size() : end) - digits;
        if (length == 0 || length > 18)
            return false;
        value = std::stoull(text.substr(digits, length));
        return true;
    }
    return false;
}

bool IsFetch(const ImapResponse& response)
{
    const std::size_t space = response.text.find(' ');
    return response.tag == "*" && space != std::string::npos &&
        response.text.compare(space, 8, " FETCH (") == 0;
}

// Waits for the tagged end of the command, handing the untagged responses
// on the way to each (which gives false to stop); false unless it ended OK.
template <typename Each>
bool Complete(ImapSession& session, const std::string& tag, const char* what, std::string& problem, Each each)
{
    if (tag.empty()) {
        problem = session.problem();
        return false;
    }
    ImapResponse response;
    for (;;) {
        if (!session.Next(response)) {
            problem = session.problem();
            return false;
        }
        if (response.tag == tag) {
            if (response.text == "OK" || response.text.compare(0, 3, "OK ") == 0)
                return true;
            problem = std::string("the server refused ") + what + ": " + response.text;
            return false;
        }
        if (!each(response))
            return false;
    }
}

// One batch of UIDs: their sizes first, then the messages within the bound.
class ImapBatch {
public:
    ImapBatch(const std::vector<Uid>& uids, std::size_t first, std::size_t total)
        : uids_(uids), first_(first), total_(total), sizes_(uids.size(), kUnknown), seen_(uids.size())
    {
    }

    bool Read(ImapSession& session, std::size_t largest, const VisitMessage& visit, MailboxReading& reading)
    {
        const std::string sizes = session.Command("UID FETCH " + UidSet(uids_) + " (RFC822.SIZE)");
        if (!Complete(session, sizes, "FETCH", reading.problem, [this](const ImapResponse& response) {
                Uid uid = 0;
                Uid size = 0;
                const std::size_t at = IsFetch(response) && FetchItem(response.text, "UID", uid) &&
                        FetchItem(response.text, "RFC822.SIZE", size)
                    ? Position(uid)
                    : uids_.size();
                if (at < uids_.size())
                    sizes_[at] = size;
                return true;
            }))
            return false;
        std::vector<Uid> wanted;
        for (std::size_t i = 0; i < uids_.size(); ++i) {
            if (sizes_[i] == kUnknown)
                ++reading.vanished;
            else if (sizes_[i] > largest)
                ++reading.tooLarge;
            else
                wanted.push_back(uids_[i]);
        }
        if (wanted.empty())
            return true;
        const std::string bodies = session.Command("UID FETCH " + UidSet(wanted) + " (BODY.PEEK[])");
        const bool complete =
            Complete(session, bodies, "FETCH", reading.problem,
                     [&](const ImapResponse& response) { return Take(response, visit, reading); });
        if (complete)
            for (std::size_t i = 0; i < uids_.size(); ++i)
                if (!seen_[i] && sizes_[i] != kUnknown && sizes_[i] <= largest)
                    ++reading.vanished;
        return complete;
    }

private:
    static constexpr Uid kUnknown = ~Uid{0};

    std::size_t Position(Uid uid) const
    {
        const auto found = std::lower_bound(uids_.begin(), uids_.end(), uid);
        return found != uids_.end() && *found == uid ? static_cast<std::size_t>(found - uids_.begin())
                                                     : uids_.size();
    }

    // Each message once, only those asked for: a server may send FETCH
    // responses of its own (flags another client changed).
    bool Take(const ImapResponse& response, const VisitMessage& visit, MailboxReading& reading)
    {
        Uid uid = 0;
        if (!IsFetch(response) || !response.hasLiteral || !FetchItem(response.text, "UID", uid))
            return true;
        const std::size_t at = Position(uid);
        if (at == uids_.size() || seen_[at])
            return true;
        seen_[at] = true;
        if (response.literalTooLarge) {
            ++reading.tooLarge;
            return true;
        }
        ++reading.read;
        reading.cancelled = !visit(response.literal, first_ + at, total_);
        return !reading.cancelled;
    }

    std::vector<Uid> uids_;
    std::size_t first_;
    std::size_t total_;
    std::vector<Uid> sizes_;
    std::vector<bool> seen_;
};

constexpr std::size_t kUidsInBatch = 200;

void ReadExamined(ImapSession& session, const std::string& name, std::time_t since, std::size_t largest,
                  const VisitMessage& visit, MailboxReading& reading)
{
    const auto ignore = [](const ImapResponse&) { return true; };
    if (!Complete(session, session.Command("EXAMINE " + Quoted(name)), "EXAMINE", reading.problem, ignore))
        return;
    std::vector<Uid> uids;
    const std::string search = since > 0 ? "UID SEARCH SINCE " + ImapDate(since) : "UID SEARCH ALL";
    if (!Complete(session, session.Command(search), "SEARCH", reading.problem,
                  [&uids](const ImapResponse& response) {
                      if (response.tag != "*" || response.text.compare(0, 6, "SEARCH") != 0)
                          return true;
                      for (std::size_t at = 6; at < response.text.size();) {
                          const std::size_t end =
                              std::min(response.text.find(' ', at + 1), response.text.size());
                          const std::string word = response.text.substr(at + 1, end - at - 1);
                          if (!word.empty() && word.size() <= 18 &&
                              word.find_first_not_of("0123456789") == std::string::npos)
                              uids.push_back(std::stoull(word));
                          at = end;
                      }
                      return true;
                  }))
        return;
    std::sort(uids.begin(), uids.end());
    uids.erase(std::unique(uids.begin(), uids.end()), uids.end());
    for (std::size_t first = 0; first < uids.size() && !reading.cancelled; first += kUidsInBatch) {
        const std::vector<Uid> batch(uids.begin() + first,
                                     uids.begin() + std::min(first + kUidsInBatch, uids.size()));
        if (!ImapBatch(batch, first, uids.size()).Read(session, largest, visit, reading))
            return;
    }
}

ImapLogin LogIn(const CurlLibrary& api, const ImapMailbox& mailbox, const ServerSecurity& security,
                bool renew)
{
    if (!mailbox.tokens)
        return LogInToImap(api, mailbox, security, {});
    const BearerToken token = mailbox.tokens->Token(renew);
    if (!token.problem.empty())
        return {nullptr, token.problem};
    return LogInToImap(api, mailbox, security, token.token);
}

}  // namespace

MailboxReading ReadImap(const ImapMailbox& mailbox, std::time_t since, const VisitMessage& visit,
                        std::size_t largest)
{
    MailboxReading reading;
    const ServerSecurity security = ServerUrlSecurity(mailbox.url, "imaps", "imap");
    const std::string name = MailboxName(mailbox.url, reading.problem);
    if (!security.problem.empty())
        reading.problem = security.problem;
    else if (mailbox.user.empty())
        reading.problem = "no user is given to log in to the server as";
    const CurlLibrary* api = reading.problem.empty() ? Curl() : nullptr;
    if (!api) {
        if (reading.problem.empty())
            reading.problem = "libcurl cannot be loaded";
        return reading;
    }
    ImapLogin login = LogIn(*api, mailbox, security, false);
    // The server may take a token as expired before we do.
    if (!login.curl && login.refused && mailbox.tokens)
        login = LogIn(*api, mailbox, security, true);
    if (!login.curl) {
        reading.problem = login.problem;
        return reading;
    }
    ImapSession session(*api, login.curl,
                        std::max<std::chrono::milliseconds>(mailbox.deadline, std::chrono::seconds(1)),
                        largest);
    ReadExamined(session, name, since, largest, visit, reading);
    if (reading.problem.empty() && !reading.cancelled) {
        std::string ignored;
        (void)Complete(session, session.Command("LOGOUT"), "LOGOUT", ignored,
                       [](const ImapResponse&) { return true; });
    }
    CloseImap(*api, login.curl);
    return reading;
}
