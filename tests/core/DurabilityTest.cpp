// Saving is durable only when the new bytes reach the disk before the
// rename, the rename reaches it too, and a failed close is not taken for
// success. This program is linked with fsync, close, rename, mkostemp and
// write wrapped (-Wl,--wrap=...), so every call is seen and any can be
// made to fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TempHome.h"
#include "core/files/SafeFileWriter.h"
#include "core/settings/SettingsStore.h"

extern "C" {
int __real_fsync(int fd);
int __real_close(int fd);
int __real_rename(const char* from, const char* to);
int __real_mkostemp64(char* pattern, int flags);
ssize_t __real_write(int fd, const void* bytes, size_t count);
}

namespace {

std::vector<std::string> events;  // "fsync PATH", "close PATH", "rename TO"
std::string failCloseOfPrefix;  // a close of a file whose path starts so fails with EIO
std::string refuseTemporaryFilesIn;  // mkostemp there fails as in a folder the user may not write
int refuseWith = EACCES;
std::string failFsyncOf;  // the next fsync of this path fails with EIO
std::string failWritesOf;  // writes to this path fail with ENOSPC once writeBytesLeft are used
std::size_t writeBytesLeft = 0;
bool writesFailForGood = false;  // otherwise only the first write past the bytes fails

std::string PathOf(int fd)
{
    char path[PATH_MAX] = {};
    const ssize_t length = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return !prefix.empty() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

extern "C" {
int __wrap_fsync(int fd)
{
    events.push_back("fsync " + PathOf(fd));
    return __real_fsync(fd);
}

ssize_t __wrap_write(int fd, const void* bytes, size_t count)
{
    if (failWritesOf.empty() || PathOf(fd) != failWritesOf)
        return __real_write(fd, bytes, count);
    if (writeBytesLeft == 0) {
        if (!writesFailForGood)
            failWritesOf.clear();
        errno = ENOSPC;
        return -1;
    }
    const ssize_t written = __real_write(fd, bytes, std::min(count, writeBytesLeft));
    writeBytesLeft -= written > 0 ? static_cast<std::size_t>(written) : 0;
    return written;
}

int __wrap_close(int fd)
{
    const std::string path = PathOf(fd);
    events.push_back("close " + path);
    const int result = __real_close(fd);
    if (StartsWith(path, failCloseOfPrefix)) {
        errno = EIO;
        return -1;
    }
    return result;
}

int __wrap_mkostemp64(char* pattern, int flags)
{
    if (!refuseTemporaryFilesIn.empty() && StartsWith(pattern, refuseTemporaryFilesIn + "/")) {
        errno = refuseWith;
        return -1;
    }
    return __real_mkostemp64(pattern, flags);
}

int __wrap_rename(const char* from, const char* to)
{
    events.push_back(std::string("rename ") + to);
    return __real_rename(from, to);
}
}

namespace {

// Where a write in place keeps its copy of the old document.
std::string HomeCacheCopies() { return std::string(getenv("HOME")) + "/.cache/vantrel"; }

// The position of the first event equal to event, or -1.
int Find(const std::string& event)
{
    for (std::size_t i = 0; i < events.size(); ++i)
        if (events[i] == event)
            return static_cast<int>(i);
    return -1;
}

// The position of the first event that starts with prefix, or -1.
int FindStart(const std::string& prefix)
{
    for (std::size_t i = 0; i < events.size(); ++i)
        if (StartsWith(events[i], prefix))
            return static_cast<int>(i);
    return -1;
}

// Document, settings file: the bytes are flushed before the rename, the
// folder after it.
TEST(Durability, BytesAndTheRenameReachTheDisk)
{
    TempHome home;
    struct Case {
        const char* name;
        std::string target;
        std::function<bool()> write;
    };
    const std::string document = home.sandbox() + "/doc.pre";
    const Case cases[] = {
        {"document", document, [&] { return static_cast<bool>(WriteFileAtomically(document, "7 Vantrel")); }},
        {"settings", home.SettingsFile(),
         [&] { return static_cast<bool>(WriteSetting(kSettingsKeyPath, kLatestPathSetting, "/a.pre")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = c.target.substr(0, c.target.rfind('/'));
        events.clear();
        ASSERT_TRUE(c.write());
        const int tempFlushed = FindStart("fsync " + folder + "/.vantrel-save-");
        const int renamed = Find("rename " + c.target);
        const int folderFlushed = Find("fsync " + folder);
        ASSERT_GE(tempFlushed, 0) << "the new bytes are flushed";
        ASSERT_GE(renamed, 0) << "the file is replaced whole";
        EXPECT_LT(tempFlushed, renamed);
        EXPECT_GT(folderFlushed, renamed) << "the rename is flushed";
    }
}

TEST(Durability, AFailedCloseFailsTheSaveAndKeepsTheOldFile)
{
    TempHome home;
    const std::string path = home.sandbox() + "/doc.pre";
    ASSERT_TRUE(WriteFileAtomically(path, "old"));
    failCloseOfPrefix = home.sandbox() + "/.vantrel-save-";
    const bool written = static_cast<bool>(WriteFileAtomically(path, "new"));
    failCloseOfPrefix.clear();
    EXPECT_FALSE(written);
    int fd = open(path.c_str(), O_RDONLY);
    char bytes[8] = {};
    EXPECT_EQ(read(fd, bytes, sizeof bytes), 3);
    __real_close(fd);
    EXPECT_EQ(std::string(bytes), "old");
}

// Where no temporary file can be made, the document is written in place:
// a copy of the old bytes is flushed first, the new ones before the close,
// and a failed close is a failure.
TEST(Durability, WritingInPlaceFlushesAndChecksTheClose)
{
    TempHome home;
    std::filesystem::create_directories(home.sandbox() + "/documents");
    const std::string path = home.sandbox() + "/documents/doc.pre";
    const std::string kept = HomeCacheCopies();
    ASSERT_TRUE(WriteFileAtomically(path, "old"));
    refuseTemporaryFilesIn = home.sandbox() + "/documents";
    events.clear();
    EXPECT_TRUE(WriteFileAtomically(path, "new"));
    EXPECT_EQ(ReadFileBytes(path), "new");
    const int copied = FindStart("fsync " + kept + "/kept-before-save-");
    const int flushed = Find("fsync " + path);
    ASSERT_GE(copied, 0);
    EXPECT_LT(copied, flushed);
    EXPECT_LT(flushed, Find("close " + path));
    EXPECT_TRUE(std::filesystem::is_empty(kept)) << "the copy goes once the document is on disk";
    failCloseOfPrefix = path;
    EXPECT_FALSE(WriteFileAtomically(path, "newer"));
    failCloseOfPrefix.clear();
    // Some file systems (and seccomp filters) answer EPERM instead.
    refuseWith = EPERM;
    EXPECT_TRUE(WriteFileAtomically(path, "newest"));
    EXPECT_EQ(ReadFileBytes(path), "newest");
    refuseWith = EACCES;
    refuseTemporaryFilesIn.clear();
}

using WriteDocument = std::function<bool(const std::string& path)>;

WriteDocument Whole(const std::string& bytes)
{
    return [bytes](const std::string& path) { return static_cast<bool>(WriteFileAtomically(path, bytes)); };
}

WriteDocument WritesFailAfter(std::size_t bytes, bool forGood, const WriteDocument& write)
{
    return [=](const std::string& path) {
        failWritesOf = path;
        writeBytesLeft = bytes;
        writesFailForGood = forGood;
        return write(path);
    };
}

// Runs write in a child whose files may grow to at most limitBytes.
WriteDocument UnderSizeLimit(rlim_t limitBytes, const WriteDocument& write)
{
    return [=](const std::string& path) {
        const pid_t pid = fork();
        if (pid == 0) {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{limitBytes, limitBytes};
            _exit(setrlimit(RLIMIT_FSIZE, &limit) == 0 && write(path) ? 0 : 1);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
}

// The copies a write in place left in the cache folder, which is emptied.
std::vector<std::string> TakeCopies()
{
    std::vector<std::string> copies;
    std::error_code missing;
    for (const auto& entry : std::filesystem::directory_iterator(HomeCacheCopies(), missing))
        copies.push_back(ReadFileBytes(entry.path().string()));
    std::filesystem::remove_all(HomeCacheCopies());
    return copies;
}

TEST(Durability, AFailedWriteInPlaceKeepsTheOldDocument)
{
    TempHome home;
    const std::string documents = home.sandbox() + "/documents";
    const std::string smallDisk = home.sandbox() + "/small";  // a tmpfs of 32 KiB
    std::filesystem::create_directories(documents);
    std::filesystem::create_directories(smallDisk);
    const bool mounted = mount("vantrel-test", smallDisk.c_str(), "tmpfs", 0, "size=32k") == 0;
    const std::string old(6000, 'o');
    const std::string fresh(8000, 'n');
    struct Case {
        const char* name;
        std::string folder, old;
        WriteDocument write;
        bool copyKept;  // the old bytes could not be put back
    };
    const Case cases[] = {
        {"the pieces give up halfway", documents, old,
         [](const std::string& path) {
             return static_cast<bool>(WriteFileAtomically(
                 path, [](const PutPiece& put) { return put(std::string(3000, 'n')) && false; }));
         },
         false},
        {"the document would pass the size limit", documents, std::string(2000, 'o'),
         UnderSizeLimit(3000, Whole(fresh)), false},
        {"the old document passes the size limit", documents, old, UnderSizeLimit(3000, Whole(fresh)), false},
        {"the disk is full", smallDisk, old, Whole(std::string(100000, 'n')), false},
        {"a write fails after 3,000 bytes", documents, old, WritesFailAfter(3000, false, Whole(fresh)),
         false},
        {"a shorter document's write fails", documents, old, WritesFailAfter(2, false, Whole("short")),
         false},
        {"writes fail for good after 3,000 bytes", documents, old, WritesFailAfter(3000, true, Whole(fresh)),
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.folder == smallDisk && !mounted) {
            std::printf("skipped: %s needs the test to run as root\n", c.name);
            continue;
        }
        const std::string path = c.folder + "/doc.pre";
        WriteFileBytes(path, c.old);
        refuseTemporaryFilesIn = c.folder;
        EXPECT_FALSE(c.write(path));
        refuseTemporaryFilesIn.clear();
        failWritesOf.clear();
        if (!c.copyKept) {
            EXPECT_EQ(ReadFileBytes(path), c.old);
        }
        EXPECT_EQ(TakeCopies(), c.copyKept ? std::vector<std::string>{c.old} : std::vector<std::string>{});
    }
    if (mounted)
        umount(smallDisk.c_str());
}

}  // namespace
