#include "core/files/LineEnds.h"
#include "core/files/SafeFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/files/ReadToEnd.h"
#include "core/files/UserFolders.h"

const LineEnds kTextFileLineEnds = LineEnds::LineFeed;

namespace {

constexpr int kMaxLinkHops = 40;

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// The path of the file itself when path is a symbolic link (also one that
// points to a file not there yet), so that saving replaces that file and
// keeps the link. nullopt for a loop of links.
std::optional<std::string> FollowLinks(std::string path)
{
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
            return std::nullopt;
        target.resize(static_cast<std::size_t>(length));
        path = target.front() == '/' ? target : FolderOf(path) + "/" + target;
    }
    return std::nullopt;
}

mode_t NewFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

constexpr mode_t kOwnerOnlyMode = 0600;

// Gives the new file what the old one had, or what a newly created file
// would get.
bool SetAttributes(int fd, const std::optional<struct stat>& old, Readers readers)
{
    if (!old)
        return fchmod(fd, readers == Readers::OwnerOnly ? kOwnerOnlyMode : NewFileMode()) == 0;
    if (old->st_uid != geteuid() || old->st_gid != getegid()) {
        // Only possible with privileges; otherwise the file becomes ours.
        [[maybe_unused]] const int ignored = fchown(fd, old->st_uid, old->st_gid);
    }
    return fchmod(fd, readers == Readers::OwnerOnly ? kOwnerOnlyMode : old->st_mode & 0777) == 0;
}

bool WriteTempFile(int fd, const ProducePieces& produce, const std::optional<struct stat>& old,
                   Readers readers)
{
    const bool written = produce([fd](std::string_view piece) { return WriteAll(fd, piece); }) &&
        SetAttributes(fd, old, readers) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    return written && closed;
}

constexpr std::string_view kTempPrefix = ".vantrel-save-";
constexpr std::size_t kTempNameLength = kTempPrefix.size() + 6;  // mkostemp's XXXXXX
// A save takes well under this; an older temporary file with no writer
// holding its lock was left by a save that was killed.
constexpr time_t kStaleSeconds = 10;

// Removes our own temporary files that a killed save left in folder. A
// save holds a lock on its temporary file while it writes, so a file whose
// lock can be had has no writer any more.
void RemoveStaleTempFiles(const std::string& folder)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    const time_t now = time(nullptr);
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != kTempNameLength || name.substr(0, kTempPrefix.size()) != kTempPrefix)
            continue;
        const int fd = openat(dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info;
        if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
            now - info.st_mtime >= kStaleSeconds && flock(fd, LOCK_EX | LOCK_NB) == 0)
            unlinkat(dirfd(dir), entry->d_name, 0);
        close(fd);
    }
    closedir(dir);
}

// Copies from's bytes over to's from the start of each; false when any
// cannot be read or written.
bool CopyBytes(int from, int to)
{
    if (lseek(from, 0, SEEK_SET) != 0 || lseek(to, 0, SEEK_SET) != 0)
        return false;
    bool written = true;
    const Result<> read = ReadAllInPieces(
        from, SIZE_MAX, [&](std::string_view piece) { written = written && WriteAll(to, piece); });
    return read && written;
}

// A copy of the old document, kept in the user's cache folder (where a
// user whose folder refuses new files can still write) while the document
// itself is being overwritten, so that a failed write can put it back.
class KeptCopy {
public:
    // Copies target's bytes and flushes them; false when the copy cannot
    // be made whole.
    bool Make(int target)
    {
        const std::string cache = CacheFolder();
        if (cache.empty())
            return false;
        mkdir(cache.c_str(), 0700);  // a folder that cannot be made fails the copy
        path_ = cache + "/vantrel";
        mkdir(path_.c_str(), 0700);
        path_ += "/kept-before-save-XXXXXX";
        fd_ = mkostemp(path_.data(), O_CLOEXEC);
        return fd_ >= 0 && CopyBytes(target, fd_) && fsync(fd_) == 0;
    }

    // Puts the old bytes back over what a failed write left.
    bool PutBack(int target, off_t oldSize) const
    {
        return CopyBytes(fd_, target) && ftruncate(target, oldSize) == 0 && fsync(target) == 0;
    }

    // Once the document is safe again, or when the copy never was whole;
    // otherwise the copy stays for the user to find.
    void Remove()
    {
        if (fd_ >= 0)
            unlink(path_.c_str());
        Close();
    }
    void Close()
    {
        if (fd_ >= 0)
            close(fd_);
        fd_ = -1;
    }
    ~KeptCopy() { Close(); }

private:
    std::string path_;
    int fd_ = -1;
};

std::optional<std::string> ProduceIntoMemory(const ProducePieces& produce)
{
    std::string bytes;
    const bool made = produce([&bytes](std::string_view piece) {
        bytes.append(piece);
        return true;
    });
    return made ? std::optional<std::string>(std::move(bytes)) : std::nullopt;
}

// Writes bytes over the document's old ones: room reserved first (which
// also meets a full disk or the file size limit before a byte changes),
// then written, cut to length and flushed.
bool Overwrite(int fd, std::string_view bytes, off_t oldSize)
{
    const off_t size = static_cast<off_t>(bytes.size());
    if (size > oldSize && posix_fallocate(fd, 0, size) != 0)
        return false;
    return lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, bytes) && ftruncate(fd, size) == 0 && fsync(fd) == 0;
}

// When no temporary file can be made beside the target (a folder the user
// may not write) but the target itself may be written, it is written in
// place, as the desktop's own file layer does: not atomic, so every byte is
// made and a copy of the old ones kept before the first is changed.
Result<> WriteInPlace(const std::string& target, const ProducePieces& produce, Readers readers)
{
    const std::optional<std::string> bytes = ProduceIntoMemory(produce);
    if (!bytes)
        return Failure::CannotWrite;
    const int fd = open(target.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0) {
        if (fd >= 0)
            close(fd);
        return Failure::CannotWrite;
    }
    KeptCopy copy;
    if (!copy.Make(fd)) {
        copy.Remove();
        close(fd);
        return Failure::CannotWrite;
    }
    // Narrowed before the new bytes are in.
    const bool written = (readers == Readers::AsBefore || fchmod(fd, kOwnerOnlyMode) == 0) &&
        Overwrite(fd, *bytes, info.st_size);
    const bool safe = written || copy.PutBack(fd, info.st_size);
    const bool closed = close(fd) == 0;
    if (safe && (closed || !written))
        copy.Remove();
    return written && closed ? Done() : Failure::CannotWrite;
}

}  // namespace

bool SyncFolder(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = fsync(fd) == 0;
    close(fd);
    return synced;
}

bool LockExclusively(int fd) { return flock(fd, LOCK_EX | LOCK_NB) == 0; }

void ReportFileSizeLimitAsError() { std::signal(SIGXFSZ, SIG_IGN); }

bool WriteAll(int fd, std::string_view bytes)
{
    return WriteToEnd(bytes, [fd](const char* from, std::size_t most) -> long long {
        for (;;) {
            const ssize_t n = write(fd, from, most);
            if (n >= 0 || errno != EINTR)
                return n;
        }
    });
}

Result<> WriteFileAtomically(const std::string& path, const std::string& bytes, Links links, Readers readers)
{
    return WriteFileAtomically(
        path, [&bytes](const PutPiece& put) { return put(bytes); }, links, readers);
}

Result<> WriteFileAtomically(const std::string& path, const ProducePieces& produce, Links links,
                             Readers readers)
{
    const std::optional<std::string> target = links == Links::Follow ? FollowLinks(path) : path;
    if (!target || target->empty() || target->back() == '/')
        return Failure::CannotWrite;

    std::optional<struct stat> old;
    struct stat info;
    const int found = links == Links::Follow ? stat(target->c_str(), &info) : lstat(target->c_str(), &info);
    if (found == 0) {
        // The rename needs only the folder's permission; a file the user
        // may not write is not replaced behind their back.
        if (!S_ISREG(info.st_mode) || access(target->c_str(), W_OK) != 0)
            return Failure::CannotWrite;
        old = info;
    } else if (errno != ENOENT) {
        return Failure::CannotWrite;
    }

    const std::string folder = FolderOf(*target);
    std::string temp = folder + "/.vantrel-save-XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        const bool folderRefused = errno == EACCES || errno == EPERM || errno == EROFS;
        return old && folderRefused ? WriteInPlace(*target, produce, readers) : Failure::CannotWrite;
    }
    flock(fd, LOCK_EX);  // released by the close: the file is no longer being written
    if (!WriteTempFile(fd, produce, old, readers) || rename(temp.c_str(), target->c_str()) != 0) {
        unlink(temp.c_str());
        return Failure::CannotWrite;
    }
    SyncFolder(folder);
    RemoveStaleTempFiles(folder);
    return Done();
}

namespace {

long long ReadSome(int fd, char* into, std::size_t room)
{
    for (;;) {
        const ssize_t n = read(fd, into, room);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

}  // namespace

Result<std::string> ReadAll(int fd, std::size_t maxBytes, std::size_t expectedBytes)
{
    return ReadToEnd(maxBytes, expectedBytes,
                     [fd](char* into, std::size_t room) { return ReadSome(fd, into, room); });
}

Result<> ReadAllInPieces(int fd, std::size_t maxBytes, const TakePiece& take)
{
    return ReadToEndInPieces(maxBytes, take,
                             [fd](char* into, std::size_t room) { return ReadSome(fd, into, room); });
}

namespace {

// Not blocking on opening, and only regular files are read, so that a
// named pipe or a device cannot hang the window. -1 when it cannot be read.
int OpenRegularFile(const std::string& path, struct stat& info)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace

Result<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes)
{
    struct stat info;
    const int fd = OpenRegularFile(path, info);
    if (fd < 0)
        return Failure::CannotOpen;
    Result<std::string> bytes = ReadAll(fd, maxBytes, static_cast<std::size_t>(info.st_size));
    close(fd);
    return bytes;
}

Result<> ReadWholeFileInPieces(const std::string& path, std::size_t maxBytes, const TakePiece& take)
{
    return ReadWholeFileInPiecesTwice(path, maxBytes, take, [] { return TakePiece(); });
}

Result<> ReadWholeFileInPiecesTwice(const std::string& path, std::size_t maxBytes, const TakePiece& first,
                                    const std::function<TakePiece()>& second)
{
    struct stat info;
    const int fd = OpenRegularFile(path, info);
    if (fd < 0)
        return Failure::CannotOpen;
    Result<> read = ReadAllInPieces(fd, maxBytes, first);
    if (read) {
        if (const TakePiece take = second(); take)
            read = lseek(fd, 0, SEEK_SET) == 0 ? ReadAllInPieces(fd, maxBytes, take) : Failure::CannotOpen;
    }
    close(fd);
    return read;
}
