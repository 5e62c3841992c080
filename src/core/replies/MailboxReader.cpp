#include "core/replies/MailboxReader.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/files/SafeFileWriter.h"
#include "core/files/Utf8Path.h"
#include "core/replies/MboxSplitter.h"

namespace fs = std::filesystem;

namespace {

struct MaildirFile {
    std::string name;
    std::string subfolder;  // "cur" or "new"
};

// Regular files only: the link a user left in cur may point anywhere, and
// the files dovecot or mutt keep beside the messages begin with a dot.
std::vector<MaildirFile> ListMaildir(const std::string& folder, std::time_t since, bool& found)
{
    std::vector<MaildirFile> files;
    found = false;
    for (const char* subfolder : {"cur", "new"}) {
        std::error_code error;
        fs::directory_iterator entry(Utf8Path(folder + "/" + subfolder), error), end;
        found = found || !error;
        for (; !error && entry != end; entry.increment(error)) {
            const std::u8string name = entry->path().filename().u8string();
            if (name.empty() || name.front() == u8'.')
                continue;
            const std::string path = folder + "/" + subfolder + "/" + std::string(name.begin(), name.end());
            struct stat info;
            if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_mtime < since)
                continue;
            files.push_back({std::string(name.begin(), name.end()), subfolder});
        }
    }
    // A Maildir's names begin with the time of delivery.
    std::sort(files.begin(), files.end(),
              [](const MaildirFile& a, const MaildirFile& b) { return a.name < b.name; });
    return files;
}

// Another client that marks a message read renames it, from new to cur
// or to other flags after the ":": the same message under its new name.
std::string RenamedFile(const std::string& folder, const std::string& name)
{
    const std::string unique = name.substr(0, name.find(':'));
    std::error_code error;
    for (fs::directory_iterator entry(Utf8Path(folder + "/cur"), error), end; !error && entry != end;
         entry.increment(error)) {
        const std::u8string found = entry->path().filename().u8string();
        const std::string text(found.begin(), found.end());
        if (text != name && text.compare(0, unique.size() + 1, unique + ":") == 0)
            return folder + "/cur/" + text;
    }
    return {};
}

enum class FileOutcome { Read, Vanished, Unreadable, TooLarge };

// Stat, then read with the bound: a file that grows meanwhile stops there.
FileOutcome ReadMessageFile(const std::string& path, std::size_t largest, std::string& bytes)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? FileOutcome::Vanished : FileOutcome::Unreadable;
    struct stat info;
    FileOutcome outcome = FileOutcome::Unreadable;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        if (static_cast<unsigned long long>(info.st_size) > largest) {
            outcome = FileOutcome::TooLarge;
        } else {
            Result<std::string> read = ReadAll(fd, largest, static_cast<std::size_t>(info.st_size));
            outcome = read                            ? FileOutcome::Read
                : read.failure() == Failure::TooLarge ? FileOutcome::TooLarge
                                                      : FileOutcome::Unreadable;
            if (read)
                bytes = std::move(*read);
        }
    }
    close(fd);
    return outcome;
}

}  // namespace

MailboxReading ReadMaildir(const std::string& folder, std::time_t since, const VisitMessage& visit,
                           std::size_t largest)
{
    MailboxReading reading;
    bool found = false;
    const std::vector<MaildirFile> files = ListMaildir(folder, since, found);
    if (!found) {
        std::error_code error;
        reading.problem = fs::is_directory(Utf8Path(folder), error)
            ? "the folder " + folder + " is not a Maildir: it has no cur or new folder"
            : "the folder " + folder + " cannot be read";
        return reading;
    }
    std::string bytes;
    for (std::size_t index = 0; index < files.size(); ++index) {
        const std::string path = folder + "/" + files[index].subfolder + "/" + files[index].name;
        FileOutcome outcome = ReadMessageFile(path, largest, bytes);
        if (outcome == FileOutcome::Vanished) {
            const std::string renamed = RenamedFile(folder, files[index].name);
            if (!renamed.empty())
                outcome = ReadMessageFile(renamed, largest, bytes);
        }
        switch (outcome) {
        case FileOutcome::Vanished: ++reading.vanished; continue;
        case FileOutcome::Unreadable: ++reading.unreadable; continue;
        case FileOutcome::TooLarge: ++reading.tooLarge; continue;
        case FileOutcome::Read: break;
        }
        ++reading.read;
        if (!visit(bytes, index, files.size())) {
            reading.cancelled = true;
            break;
        }
    }
    return reading;
}

MailboxReading ReadMbox(const std::string& path, std::time_t since, const VisitMessage& visit,
                        std::size_t largest)
{
    MailboxReading reading;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0)
            close(fd);
        reading.problem = "the file " + path + " cannot be read";
        return reading;
    }
    MboxSplitter splitter(since, largest, [&](std::string_view message, std::size_t index) {
        ++reading.read;
        reading.cancelled = !visit(message, index, 0);
        return !reading.cancelled;
    });
    // In pieces: an mbox of a gigabyte is never held whole.
    std::string piece(kReadPieceBytes, '\0');
    for (;;) {
        const auto n = read(fd, piece.data(), static_cast<unsigned>(piece.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            reading.problem = "the file " + path + " cannot be read to its end";
        if (n <= 0)
            break;
        splitter.Take(std::string_view(piece.data(), static_cast<std::size_t>(n)));
        if (splitter.Stopped())
            break;
    }
    close(fd);
    if (reading.problem.empty())
        splitter.Finish();
    reading.tooLarge = splitter.TooLarge();
    if (splitter.NotMbox())
        reading.problem =
            "the file " + path + " is not an mbox file: it does not begin with a \"From \" line";
    return reading;
}
