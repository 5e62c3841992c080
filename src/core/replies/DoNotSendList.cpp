#include "core/replies/DoNotSendList.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <unordered_map>

#include <fcntl.h>
#include <unistd.h>

#include "core/files/SafeFileWriter.h"
#include "core/files/UserFolders.h"
#include "core/files/Utf8Path.h"
#include "core/mail/Refusals.h"
#include "core/mail/SendLedger.h"

namespace {

constexpr std::size_t kMaxListBytes = 16u << 20;
constexpr const char* kHeading = "vantrel do-not-send 1\n";

const char* ReasonWord(DoNotSendReason reason)
{
    switch (reason) {
    case DoNotSendReason::Unsubscribed: return "unsubscribed";
    case DoNotSendReason::Bounced: return "bounced";
    case DoNotSendReason::Complaint: return "complaint";
    case DoNotSendReason::Refused: return "refused";
    case DoNotSendReason::ByHand: break;
    }
    return "by-hand";
}

bool ReasonOfWord(std::string_view word, DoNotSendReason& reason)
{
    for (const DoNotSendReason each :
         {DoNotSendReason::Unsubscribed, DoNotSendReason::Bounced, DoNotSendReason::Complaint,
          DoNotSendReason::ByHand, DoNotSendReason::Refused})
        if (word == ReasonWord(each)) {
            reason = each;
            return true;
        }
    return false;
}

std::string OneField(const std::string& text)
{
    std::string field = text;
    for (char& c : field)
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7f)
            c = ' ';
    return field;
}

std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (std::size_t tab = line.find('\t'); tab != std::string_view::npos; tab = line.find('\t')) {
        fields.push_back(line.substr(0, tab));
        line.remove_prefix(tab + 1);
    }
    fields.push_back(line);
    return fields;
}

std::string DayText(std::time_t time)
{
    std::tm parts{};
    localtime_r(&time, &parts);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &parts);
    return text;
}

// Changes are made one at a time across programs: read, change and
// rewrite happen under a lock of a file beside the list.
class ListLock {
public:
    explicit ListLock(const std::string& path)
        : fd_(open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600))
    {
        for (int tries = 0; fd_ >= 0 && !locked_ && tries < 100; ++tries) {
            locked_ = LockExclusively(fd_);
            if (!locked_)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~ListLock()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    bool Held() const { return locked_; }

private:
    int fd_;
    bool locked_ = false;
};

}  // namespace

std::string DoNotSendPath(const std::string& senderAddress)
{
    const std::string folder = StateFolder();
    return folder.empty() ? std::string() : folder + "/vantrel/" + SenderId(senderAddress) + ".dont-send";
}

Result<DoNotSendList> DoNotSendList::Open(const std::string& path)
{
    if (path.empty())
        return Failure::CannotOpen;
    DoNotSendList list(path);
    if (const Result<> read = list.Read(); !read)
        return read.failure();
    return list;
}

// A list that cannot be read leaves the entries as they were.
Result<> DoNotSendList::Read()
{
    const int fd = open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        entries_.clear();
        return Done();
    }
    if (fd < 0)
        return Failure::CannotOpen;
    const Result<std::string> bytes = ReadAll(fd, kMaxListBytes);
    close(fd);
    if (!bytes)
        return bytes.failure();
    std::string_view rest = *bytes;
    if (rest.compare(0, std::string_view(kHeading).size(), kHeading) != 0)
        return Failure::Damaged;
    rest.remove_prefix(std::string_view(kHeading).size());
    std::vector<DoNotSendEntry> entries;
    for (std::size_t end = rest.find('\n'); end != std::string_view::npos; end = rest.find('\n')) {
        const std::vector<std::string_view> fields = Fields(rest.substr(0, end));
        rest.remove_prefix(end + 1);
        DoNotSendEntry entry;
        if (fields.size() < 4 || fields[0].empty() || !ReasonOfWord(fields[1], entry.reason))
            continue;
        entry.address = AddressKey(std::string(fields[0]));
        entry.when = static_cast<std::time_t>(std::strtoll(std::string(fields[2]).c_str(), nullptr, 10));
        entry.evidence = std::string(fields[3]);
        entries.push_back(std::move(entry));
    }
    entries_ = std::move(entries);
    return Done();
}

Result<> DoNotSendList::Save() const
{
    std::string bytes = kHeading;
    for (const DoNotSendEntry& entry : entries_)
        bytes += OneField(entry.address) + "\t" + ReasonWord(entry.reason) + "\t" +
            std::to_string(entry.when) + "\t" + OneField(entry.evidence) + "\n";
    // Who asked not to be mailed, and why, is the sender's business only.
    return WriteFileAtomically(path_, bytes, Links::Replace, Readers::OwnerOnly);
}

std::optional<DoNotSendEntry> DoNotSendList::Find(const std::string& address) const
{
    const std::string key = AddressKey(address);
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&key](const DoNotSendEntry& entry) { return entry.address == key; });
    return found == entries_.end() ? std::nullopt : std::optional<DoNotSendEntry>(*found);
}

Result<> DoNotSendList::Change(const std::function<bool()>& change)
{
    std::error_code error;
    std::filesystem::create_directories(Utf8Path(path_).parent_path(), error);
    const ListLock lock(path_);
    if (!lock.Held())
        return Failure::Busy;
    // Another program may have changed the list since it was opened.
    if (const Result<> read = Read(); !read)
        return read;
    const std::vector<DoNotSendEntry> before = entries_;
    if (!change())
        return Failure::Missing;
    const Result<> saved = Save();
    // The list must say what the file says: the old file is untouched.
    if (!saved)
        entries_ = before;
    return saved;
}

Result<> DoNotSendList::Add(const DoNotSendEntry& entry) { return AddAll({entry}); }

Result<> DoNotSendList::AddAll(const std::vector<DoNotSendEntry>& entries)
{
    return Change([this, &entries] {
        for (const DoNotSendEntry& entry : entries) {
            DoNotSendEntry added = entry;
            added.address = AddressKey(OneField(entry.address));
            added.evidence = OneField(entry.evidence);
            const auto found =
                std::find_if(entries_.begin(), entries_.end(),
                             [&added](const DoNotSendEntry& each) { return each.address == added.address; });
            if (found == entries_.end())
                entries_.push_back(std::move(added));
            else if (added.reason != DoNotSendReason::ByHand)
                *found = std::move(added);
        }
        return true;
    });
}

Result<> DoNotSendList::Remove(const std::string& address)
{
    const std::string key = AddressKey(address);
    return Change([this, &key] {
        const auto kept =
            std::remove_if(entries_.begin(), entries_.end(),
                           [&key](const DoNotSendEntry& entry) { return entry.address == key; });
        if (kept == entries_.end())
            return false;
        entries_.erase(kept, entries_.end());
        return true;
    });
}

std::string DoNotSendText(const DoNotSendEntry& entry)
{
    const std::string on = entry.when != 0 ? " on " + DayText(entry.when) : std::string();
    switch (entry.reason) {
    case DoNotSendReason::Unsubscribed: return "asked not to receive" + on;
    case DoNotSendReason::Bounced:
        return "bounced" + on + (entry.evidence.empty() ? "" : ": " + entry.evidence);
    case DoNotSendReason::Complaint: return "complained" + on;
    case DoNotSendReason::Refused:
        return "refused when sending" + on + (entry.evidence.empty() ? "" : ": " + entry.evidence);
    case DoNotSendReason::ByHand: break;
    }
    return "taken off by hand" + on;
}

LeaveOut LeaveOutListed(const DoNotSendList& list)
{
    if (list.Entries().empty())
        return {};
    auto listed = std::make_shared<std::unordered_map<std::string, std::string>>();
    for (const DoNotSendEntry& entry : list.Entries())
        listed->emplace(entry.address, DoNotSendText(entry));
    return [listed](std::string_view address) -> std::optional<std::string> {
        const auto found = listed->find(AddressKey(address));
        return found == listed->end() ? std::nullopt : std::optional(found->second);
    };
}

std::vector<SkippedReceiver> LeaveOutDoNotSend(std::vector<Mailbox>& receivers, const DoNotSendList& list)
{
    std::vector<SkippedReceiver> skipped;
    const LeaveOut leaveOut = LeaveOutListed(list);
    if (!leaveOut)
        return skipped;
    std::vector<Mailbox> kept;
    for (Mailbox& receiver : receivers) {
        if (std::optional<std::string> why = leaveOut(receiver.address))
            skipped.push_back({receiver.address, std::move(*why)});
        else
            kept.push_back(std::move(receiver));
    }
    receivers = std::move(kept);
    return skipped;
}

std::vector<DoNotSendEntry> RefusedAsDead(const DeliverySummary& summary, std::time_t when)
{
    std::vector<DoNotSendEntry> dead;
    for (const ReceiverOutcome& outcome : summary.receivers)
        if (outcome.state == ReceiverState::Refused && IsDeadAddress("", outcome.reply))
            dead.push_back({AddressKey(outcome.address), DoNotSendReason::Refused, when, outcome.reply});
    return dead;
}

std::string ListedAfterSendText(const std::vector<DoNotSendEntry>& dead)
{
    std::string text = dead.size() == 1 ? "1 refused as an unknown address was"
                                        : std::to_string(dead.size()) + " refused as unknown addresses were";
    text += " put on the do-not-send list: ";
    // A few named; the summary's rows hold every one of them.
    constexpr std::size_t kNamed = 3;
    for (std::size_t i = 0; i < dead.size() && i < kNamed; ++i)
        text += (i == 0 ? "" : ", ") + dead[i].address;
    if (dead.size() > kNamed)
        text += " and " + std::to_string(dead.size() - kNamed) + " more";
    return text + ".";
}

Result<DoNotSendList> DoNotSendListOf(const std::string& senderAddress)
{
    return DoNotSendList::Open(DoNotSendPath(senderAddress));
}
