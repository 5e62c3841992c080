#include "core/mail/SendLedger.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/files/SafeFileWriter.h"
#include "core/files/UserFolders.h"
#include "core/files/Utf8Path.h"
#include "core/mail/FoldedText.h"
#include "core/receivers/MailAddresses.h"

namespace {

// More lines than any press list has; a larger file is no ledger of ours.
constexpr std::size_t kMaxLedgerBytes = 256u * 1024 * 1024;

std::uint64_t Fnv1a(std::string_view bytes, std::uint64_t hash)
{
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string Hash(std::initializer_list<std::string_view> parts)
{
    std::string all;
    for (const std::string_view& part : parts) {
        if (&part != parts.begin())
            all += '\0';
        all += part;
    }
    char id[33];
    std::snprintf(id, sizeof id, "%016llx%016llx",
                  static_cast<unsigned long long>(Fnv1a(all, 14695981039346656037ull)),
                  static_cast<unsigned long long>(Fnv1a(all, 0x84222325cbf29ce4ull ^ all.size())));
    return id;
}

// A reply or an address on one line of the ledger: no tab, no line break.
std::string OneField(const std::string& text)
{
    std::string field = text;
    for (char& c : field)
        if (static_cast<unsigned char>(c) < ' ')
            c = ' ';
    return field;
}

// A note keeps its line breaks, written as \n.
std::string Escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Unescaped(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
    }
    return out;
}

std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (std::size_t tab = line.find('\t');; tab = line.find('\t')) {
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos)
            return fields;
        line.remove_prefix(tab + 1);
    }
}

std::time_t TimeField(const std::vector<std::string_view>& fields, std::size_t index)
{
    if (fields.size() <= index)
        return 0;
    std::time_t time = 0;
    for (const char c : fields[index]) {
        if (c < '0' || c > '9')
            return 0;
        time = time * 10 + (c - '0');
    }
    return time;
}

const char* OutcomeWord(LedgerOutcome outcome)
{
    switch (outcome) {
    case LedgerOutcome::Sent: return "sent";
    case LedgerOutcome::Refused: return "refused";
    case LedgerOutcome::InDoubt: return "doubt";
    case LedgerOutcome::Left: return "left";
    }
    return "doubt";
}

}  // namespace

std::string ReleaseLedgerId(const std::string& senderAddress, const std::string& product,
                            const std::string& version)
{
    return Hash({"release", FoldedText(AddressKey(senderAddress)), FoldedText(product), FoldedText(version)});
}

std::string ExactReleaseLedgerId(const std::string& senderAddress, const std::string& product,
                                 const std::string& version)
{
    return Hash({"release", AddressKey(senderAddress), product, version});
}

std::string SenderId(const std::string& senderAddress) { return Hash({"sender", AddressKey(senderAddress)}); }

std::string ReleaseTextId(const std::string& subject, const std::string& note, const std::string& body)
{
    return Hash({"text", subject, note, body});
}

std::string TextLedgerId(const std::string& sender, const std::string& subject, const std::string& body)
{
    return Hash({sender, subject, body});
}

std::string LedgerPath(const std::string& id)
{
    const std::string folder = StateFolder();
    return folder.empty() ? std::string() : folder + "/vantrel/" + id + ".ledger";
}

std::string LedgerTimeText(std::time_t time)
{
    std::tm parts{};
    localtime_r(&time, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &parts);
    return text;
}

Result<SendLedger> SendLedger::Open(const std::string& path)
{
    if (path.empty())
        return Failure::CannotOpen;
    ReportFileSizeLimitAsError();
    const std::filesystem::path folder = Utf8Path(path).parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const bool existed = std::filesystem::exists(Utf8Path(path), error);
    // A link planted in the ledger's place is never followed.
    const int fd = open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Failure::CannotOpen;
    SendLedger ledger(path, fd);
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return Failure::CannotOpen;
    if (!LockExclusively(fd))
        return Failure::Busy;
    if (!existed && (fsync(fd) != 0 || !SyncFolder(folder.string())))
        return Failure::CannotWrite;
    if (lseek(fd, 0, SEEK_SET) != 0)
        return Failure::CannotOpen;
    const Result<std::string> bytes = ReadAll(fd, kMaxLedgerBytes, static_cast<std::size_t>(info.st_size));
    if (!bytes)
        return bytes.failure();
    ledger.TakeLines(*bytes, "");
    // A line a crash cut short goes: the next one must not be glued to it.
    const std::size_t whole = bytes->rfind('\n') + 1;
    if (whole != bytes->size() && (ftruncate(fd, static_cast<off_t>(whole)) != 0 || fsync(fd) != 0))
        return Failure::CannotWrite;
    return ledger;
}

Result<SendLedger> SendLedger::Peek(const std::string& path)
{
    SendLedger ledger(path, -1);
    ledger.broken_ = true;
    if (const Result<> taken = ledger.TakeEarlier(path, ""); !taken)
        return taken.failure();
    return ledger;
}

namespace {

// The bytes of an earlier ledger; nullopt when there is none. Taken for
// empty, a ledger that cannot be read would send its receivers the
// release again.
Result<std::optional<std::string>> ReadEarlier(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? Result<std::optional<std::string>>(std::nullopt) : Failure::CannotOpen;
    struct stat info {};
    Result<std::string> bytes = fstat(fd, &info) == 0 && S_ISREG(info.st_mode)
        ? ReadAll(fd, kMaxLedgerBytes)
        : Result<std::string>(Failure::CannotOpen);
    close(fd);
    if (!bytes)
        return bytes.failure();
    return std::optional<std::string>(std::move(*bytes));
}

}  // namespace

Result<> SendLedger::TakeEarlier(const std::string& path, const std::string& textId)
{
    const Result<std::optional<std::string>> bytes = ReadEarlier(path);
    if (!bytes)
        return bytes.failure();
    if (*bytes) {
        SendLedger earlier(path, -1);
        earlier.TakeLines(**bytes, textId);
        TakeUnder(std::move(earlier));
    }
    return Done();
}

Result<> SendLedger::TakeEarlierRelease(const std::string& path)
{
    const Result<std::optional<std::string>> bytes = ReadEarlier(path);
    if (!bytes)
        return bytes.failure();
    if (!*bytes)
        return Done();
    const std::string& earlier = **bytes;
    const std::string whole = earlier.substr(0, earlier.rfind('\n') + 1);
    if (!whole.empty() && fd_ >= 0 && lseek(fd_, 0, SEEK_END) == 0)
        if (const Result<> copied = Append(whole); !copied)
            return copied;
    return TakeEarlier(path, "");
}

void SendLedger::TakeUnder(SendLedger&& earlier)
{
    for (auto& [address, before] : earlier.receivers_) {
        const auto [found, added] = receivers_.try_emplace(address, std::move(before));
        if (added)
            continue;
        Receiver& later = found->second;
        later.texts.insert(later.texts.end(), before.texts.begin(), before.texts.end());
        if (!later.decided)
            later.inDoubt = before.inDoubt;
        later.decided = later.decided || before.decided;
    }
    lastSent_ = std::max(lastSent_, earlier.lastSent_);
    if (earlier.firstSent_ != 0 && (firstSent_ == 0 || earlier.firstSent_ < firstSent_))
        firstSent_ = earlier.firstSent_;
    if (!latestText_)
        latestText_ = std::move(earlier.latestText_);
    subjects_.insert(subjects_.begin(), earlier.subjects_.begin(), earlier.subjects_.end());
}

void SendLedger::TakeLines(std::string_view bytes, const std::string& textIdOfOldLines)
{
    for (std::size_t end = bytes.find('\n'); end != std::string_view::npos; end = bytes.find('\n')) {
        const std::vector<std::string_view> fields = Fields(bytes.substr(0, end));
        bytes.remove_prefix(end + 1);
        const std::string_view kind = fields[0];
        if (kind == "text" && fields.size() >= 5) {
            latestText_ = LedgerText{Unescaped(fields[3]), Unescaped(fields[4])};
            subjects_.push_back(latestText_->subject);
            continue;
        }
        if (fields.size() < 2 ||
            (kind != "sending" && kind != "sent" && kind != "refused" && kind != "doubt" && kind != "left"))
            continue;
        Receiver& receiver = receivers_[AddressKey(std::string(fields[1]))];
        receiver.going = kind == "sending";
        if (kind == "sending" || kind == "left")
            continue;
        receiver.inDoubt = kind == "doubt";
        receiver.decided = true;
        if (kind != "sent")
            continue;
        // Lines of earlier versions name no text: theirs is the text of the file.
        receiver.texts.emplace_back(fields.size() >= 4 ? std::string(fields[3]) : textIdOfOldLines);
        const std::time_t sent = TimeField(fields, 4);
        lastSent_ = std::max(lastSent_, sent);
        if (sent != 0 && (firstSent_ == 0 || sent < firstSent_))
            firstSent_ = sent;
    }
    for (auto& [address, receiver] : receivers_)
        if (receiver.going) {
            receiver.inDoubt = true;
            receiver.decided = true;
            receiver.going = false;
        }
}

SendLedger::SendLedger(SendLedger&& other) noexcept
    : path_(std::move(other.path_)), fd_(other.fd_), broken_(other.broken_),
      receivers_(std::move(other.receivers_)), lastSent_(other.lastSent_), firstSent_(other.firstSent_),
      latestText_(std::move(other.latestText_)), subjects_(std::move(other.subjects_))
{
    other.fd_ = -1;
}

SendLedger::~SendLedger()
{
    if (fd_ >= 0)
        close(fd_);
}

std::vector<std::string> SendLedger::SentReceivers() const
{
    std::vector<std::string> sent;
    for (const auto& [address, receiver] : receivers_)
        if (!receiver.texts.empty() || receiver.inDoubt)
            sent.push_back(address);
    return sent;
}

bool SendLedger::HasSent(const std::string& address, const std::string& textId) const
{
    const auto found = receivers_.find(AddressKey(address));
    return found != receivers_.end() &&
        std::find(found->second.texts.begin(), found->second.texts.end(), textId) !=
        found->second.texts.end();
}

bool SendLedger::HasSentAnyText(const std::string& address) const
{
    const auto found = receivers_.find(AddressKey(address));
    return found != receivers_.end() && !found->second.texts.empty();
}

bool SendLedger::InDoubt(const std::string& address) const
{
    const auto found = receivers_.find(AddressKey(address));
    return found != receivers_.end() && found->second.inDoubt;
}

std::size_t SendLedger::SentCount() const
{
    return static_cast<std::size_t>(std::count_if(
        receivers_.begin(), receivers_.end(), [](const auto& entry) { return !entry.second.texts.empty(); }));
}

Result<> SendLedger::Append(const std::string& line)
{
    if (fd_ < 0 || broken_)
        return Failure::CannotWrite;
    const off_t before = lseek(fd_, 0, SEEK_END);
    if (!WriteAll(fd_, line) || fdatasync(fd_) != 0) {
        // No half line stays for the next one to be glued to.
        if (before >= 0 && ftruncate(fd_, before) == 0)
            fdatasync(fd_);
        broken_ = true;
        return Failure::CannotWrite;
    }
    return Done();
}

Result<> SendLedger::RecordText(const std::string& textId, const LedgerText& text, std::time_t time)
{
    const Result<> written = Append("text\t" + textId + "\t" + std::to_string(time) + "\t" +
                                    Escaped(text.subject) + "\t" + Escaped(text.note) + "\n");
    if (written) {
        latestText_ = text;
        subjects_.push_back(text.subject);
    }
    return written;
}

Result<> SendLedger::RecordSending(const std::string& address, const std::string& textId)
{
    return Append("sending\t" + OneField(address) + "\t" + textId + "\n");
}

Result<> SendLedger::Record(const std::string& address, LedgerOutcome outcome, const std::string& detail,
                            const std::string& textId, std::time_t time)
{
    const Result<> written = Append(std::string(OutcomeWord(outcome)) + "\t" + OneField(address) + "\t" +
                                    OneField(detail) + "\t" + textId + "\t" + std::to_string(time) + "\n");
    if (!written)
        return written;
    if (outcome == LedgerOutcome::Left)
        return Done();
    Receiver& receiver = receivers_[AddressKey(address)];
    receiver.inDoubt = outcome == LedgerOutcome::InDoubt;
    receiver.decided = true;
    if (outcome == LedgerOutcome::Sent) {
        receiver.texts.push_back(textId);
        lastSent_ = std::max(lastSent_, time);
        if (firstSent_ == 0)
            firstSent_ = time;
    }
    return Done();
}
