#include "core/mail/SendLedger.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

#include "core/files/SafeFileWriter.h"
#include "core/files/Utf8Path.h"
#include "core/mail/MailAddresses.h"
#include "core/settings/UserFolders.h"

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

// A reply or a date on one line of the ledger: no tab, no line break.
std::string OneField(const std::string& text)
{
    std::string field = text;
    for (char& c : field)
        if (static_cast<unsigned char>(c) < ' ')
            c = ' ';
    return field;
}

}  // namespace

std::string ReleaseLedgerId(const std::string& sender, const std::string& subject, const std::string& body)
{
    std::string all = sender;
    all += '\0';
    all += subject;
    all += '\0';
    all += body;
    char id[33];
    std::snprintf(id, sizeof id, "%016llx%016llx",
                  static_cast<unsigned long long>(Fnv1a(all, 14695981039346656037ull)),
                  static_cast<unsigned long long>(Fnv1a(all, 0x84222325cbf29ce4ull ^ all.size())));
    return id;
}

std::string LedgerPath(const std::string& releaseId)
{
    const std::string folder = StateFolder();
    return folder.empty() ? std::string() : folder + "/vantrel/" + releaseId + ".ledger";
}

Result<SendLedger> SendLedger::Open(const std::string& path)
{
    if (path.empty())
        return Failure::CannotOpen;
    const std::filesystem::path folder = Utf8Path(path).parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const bool existed = std::filesystem::exists(Utf8Path(path), error);
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return Failure::CannotOpen;
    SendLedger ledger(path, fd);
    if (!existed && (fsync(fd) != 0 || !SyncFolder(folder.string())))
        return Failure::CannotWrite;
    const Result<std::string> bytes = ReadWholeFile(path, kMaxLedgerBytes);
    if (!bytes)
        return bytes.failure();
    std::string_view rest = *bytes;
    for (std::size_t end = rest.find('\n'); end != std::string_view::npos; end = rest.find('\n')) {
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        constexpr std::string_view kSent = "sent\t";
        if (line.substr(0, kSent.size()) != kSent)
            continue;
        const std::string_view address =
            line.substr(kSent.size(), line.find('\t', kSent.size()) - kSent.size());
        ledger.sent_.insert(AddressKey(std::string(address)));
    }
    // A line a crash cut short goes: the next one must not be glued to it.
    if (!rest.empty() &&
        (ftruncate(fd, static_cast<off_t>(bytes->size() - rest.size())) != 0 || fsync(fd) != 0))
        return Failure::CannotWrite;
    return ledger;
}

SendLedger::SendLedger(SendLedger&& other) noexcept
    : path_(std::move(other.path_)), fd_(other.fd_), sent_(std::move(other.sent_))
{
    other.fd_ = -1;
}

SendLedger::~SendLedger()
{
    if (fd_ >= 0)
        close(fd_);
}

bool SendLedger::HasSent(const std::string& address) const { return sent_.count(AddressKey(address)) != 0; }

Result<> SendLedger::Record(const std::string& address, LedgerOutcome outcome, const std::string& detail)
{
    const std::string line = std::string(outcome == LedgerOutcome::Sent ? "sent\t" : "refused\t") +
        OneField(address) + "\t" + OneField(detail) + "\n";
    if (fd_ < 0 || !WriteAll(fd_, line) || fdatasync(fd_) != 0)
        return Failure::CannotWrite;
    if (outcome == LedgerOutcome::Sent)
        sent_.insert(AddressKey(address));
    return Done();
}
