#include <gtest/gtest.h>

#include <cerrno>

#include <csignal>
#include <filesystem>
#include <functional>
#include <map>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ResultTesting.h"
#include "TempHome.h"
#include "core/files/SafeFileWriter.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRefused = 1;
constexpr int kCannotTestHere = 77;

// What a folder holds: each name with its kind and, for files, the bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const auto status = entry.symlink_status();
        std::string description = std::to_string(static_cast<int>(status.type()));
        if (status.type() == fs::file_type::regular) {
            const std::string bytes = ReadFileBytes(entry.path().string());
            description += ":" + std::to_string(bytes.size()) + ":" + bytes.substr(0, 40);
        }
        entries[entry.path().filename().string()] = description;
    }
    return entries;
}

// Runs body in a forked child, for limits and identities that must not
// stay with the test process; gives the child's exit code.
int RunInChild(const std::function<int()>& body)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int ExitCodeOf(bool written) { return written ? 0 : kRefused; }

constexpr uid_t kNobody = 65534;

// Writes as an unprivileged user where the test runs as root, since root
// writes anything. With ownFolder the folder and the file are that user's;
// otherwise they belong to another user, which only root can arrange.
int WriteAsUnprivilegedUser(const std::string& path, bool ownFolder)
{
    const std::string folder = fs::path(path).parent_path().string();
    if (geteuid() != 0 && !ownFolder)
        return kCannotTestHere;
    if (geteuid() == 0 && ownFolder &&
        (chown(folder.c_str(), kNobody, kNobody) != 0 || chown(path.c_str(), kNobody, kNobody) != 0))
        return kCannotTestHere;
    return RunInChild([&] {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
            return kCannotTestHere;
        return ExitCodeOf(static_cast<bool>(WriteFileAtomically(path, "new contents")));
    });
}

int WriteOntoFullDisk(const std::string& path)
{
    return RunInChild([&] {
        const rlimit limit{4096, 4096};
        signal(SIGXFSZ, SIG_IGN);
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return kCannotTestHere;
        return ExitCodeOf(static_cast<bool>(WriteFileAtomically(path, std::string(100000, 'x'))));
    });
}

using Prepare = std::function<std::string(const std::string& folder)>;  // gives the target
using Write = std::function<int(const std::string& path)>;

std::string OldDocument(const std::string& folder)
{
    WriteFileBytes(folder + "/doc.pre", "7 old doc\r\n");
    return folder + "/doc.pre";
}

int WriteInProcess(const std::string& path)
{
    return ExitCodeOf(static_cast<bool>(WriteFileAtomically(path, "new contents")));
}

// Runs a failing write; expects it refused with the folder exactly as it
// was. Gives the write's exit code.
int ExpectRefusedAndFolderKept(const Prepare& prepare, const Write& write)
{
    TempHome home;
    const std::string folder = home.sandbox() + "/documents";
    fs::create_directories(folder);
    chmod(home.sandbox().c_str(), 0711);
    const std::string path = prepare(folder);
    const auto before = Snapshot(folder);

    const int result = write(path);
    if (result != kCannotTestHere) {
        EXPECT_EQ(result, kRefused);
        chmod(folder.c_str(), 0755);
        EXPECT_EQ(Snapshot(folder), before);
    }
    return result;
}

TEST(SafeFileWriter, FailedWritesKeepTheOldFileAndLeaveNothingBehind)
{
    struct Case {
        const char* name;
        Prepare prepare;
        Write write;
    };
    const Case cases[] = {
        {"target is a folder",
         [](const std::string& folder) {
             WriteFileBytes(folder + "/doc.pre/inside", "kept");
             return folder + "/doc.pre";
         },
         WriteInProcess},
        {"target is a named pipe",
         [](const std::string& folder) {
             mkfifo((folder + "/doc.pre").c_str(), 0644);
             return folder + "/doc.pre";
         },
         WriteInProcess},
        {"folder does not exist", [](const std::string& folder) { return folder + "/missing/doc.pre"; },
         WriteInProcess},
        {"path ends in a slash", [](const std::string& folder) { return folder + "/"; }, WriteInProcess},
        {"loop of symbolic links",
         [](const std::string& folder) {
             fs::create_symlink("b.pre", folder + "/a.pre");
             fs::create_symlink("a.pre", folder + "/b.pre");
             return folder + "/a.pre";
         },
         WriteInProcess},
        {"full disk", OldDocument, WriteOntoFullDisk},
        {"pieces given up halfway", OldDocument,
         [](const std::string& path) {
             return ExitCodeOf(static_cast<bool>(
                 WriteFileAtomically(path, [](const PutPiece& put) { return put("new ") && false; })));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(ExpectRefusedAndFolderKept(c.prepare, c.write), kCannotTestHere);
    }
}

TEST(SafeFileWriter, FilesTheUserMayNotReplaceAreKept)
{
    struct Case {
        const char* name;
        mode_t folderMode, fileMode;
        bool ownFolder;
    };
    const Case cases[] = {
        {"read-only file in a read-only folder", 0555, 0444, true},
        {"read-only file in a writable folder", 0755, 0444, true},
        // Anybody may write the file, but only its owner may rename over it.
        {"another user's file in a shared sticky folder", 01777, 0666, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int result = ExpectRefusedAndFolderKept(
            [&](const std::string& folder) {
                const std::string path = OldDocument(folder);
                chmod(path.c_str(), c.fileMode);
                chmod(folder.c_str(), c.folderMode);
                return path;
            },
            [&](const std::string& path) { return WriteAsUnprivilegedUser(path, c.ownFolder); });
        if (result == kCannotTestHere)
            std::printf("skipped: %s needs the test to run as root\n", c.name);
    }
}

// A writable document in a folder that refuses a temporary file is written
// in place; run as an ordinary user, since root may write any folder.
TEST(SafeFileWriter, WritesInPlaceWhenTheFolderRefusesATemporaryFile)
{
    TempHome home;
    const std::string folder = home.sandbox() + "/documents";
    fs::create_directories(folder);
    chmod(home.sandbox().c_str(), 0711);
    const std::string path = OldDocument(folder);
    chmod(path.c_str(), 0640);
    chmod(folder.c_str(), 0555);
    // The copy of the old document kept meanwhile goes to that user's cache.
    const std::string cache = home.home() + "/.cache";
    fs::create_directories(cache);
    if (geteuid() == 0)
        ASSERT_EQ(chown(cache.c_str(), kNobody, kNobody), 0);
    const int result = WriteAsUnprivilegedUser(path, true);
    chmod(folder.c_str(), 0755);
    if (result == kCannotTestHere)
        GTEST_SKIP() << "needs a user the test can become";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadFileBytes(path), "new contents");
    EXPECT_EQ(Snapshot(folder).size(), 1u) << "the document and no temporary file";
    EXPECT_TRUE(fs::is_empty(cache + "/vantrel")) << "no copy once the document is on disk";
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// A save that was killed leaves its temporary file; the next save into the
// folder removes it, but never one that a running save still holds.
TEST(SafeFileWriter, RemovesTemporaryFilesThatKilledSavesLeft)
{
    TempHome home;
    const std::string folder = home.sandbox();
    const std::string stale = folder + "/.vantrel-save-Ab12Cd";
    const std::string held = folder + "/.vantrel-save-Ef34Gh";
    const std::string fresh = folder + "/.vantrel-save-Ij56Kl";
    const std::string notOurs = folder + "/.vantrel-save-too-long";
    for (const std::string& file : {stale, held, fresh, notOurs})
        WriteFileBytes(file, "partial");
    const timespec hourAgo[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    for (const std::string& file : {stale, held, notOurs})
        utimensat(AT_FDCWD, file.c_str(), hourAgo, 0);
    const int holder = open(held.c_str(), O_RDONLY);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);

    ASSERT_TRUE(WriteFileAtomically(folder + "/doc.pre", "saved"));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(held)) << "a save still writes it";
    EXPECT_TRUE(fs::exists(fresh)) << "too young to be left over";
    EXPECT_TRUE(fs::exists(notOurs));
    close(holder);
}

TEST(SafeFileWriter, ReplacesTheFileAndKeepsItsModeAndGroup)
{
    TempHome home;
    const std::string path = home.sandbox() + "/doc.pre";
    WriteFileBytes(path, std::string(5000, 'o'));
    chmod(path.c_str(), 0604);
    // A document shared with a group stays the group's (possible for root,
    // and for a user with a group of their own besides their first).
    gid_t groups[64];
    const int count = getgroups(64, groups);
    gid_t shared = geteuid() == 0 ? kNobody : getegid();
    for (int i = 0; i < count; ++i)
        shared = groups[i] != getegid() ? groups[i] : shared;
    ASSERT_EQ(chown(path.c_str(), static_cast<uid_t>(-1), shared), 0);

    ASSERT_TRUE(WriteFileAtomically(path, "short"));
    EXPECT_EQ(ReadFileBytes(path), "short");
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    EXPECT_EQ(info.st_gid, shared);
    EXPECT_EQ(Snapshot(home.sandbox()).size(), 2u);  // home and doc.pre, no temporary file

    ASSERT_TRUE(WriteFileAtomically(path, ""));
    EXPECT_EQ(ReadFileBytes(path), "");
    EXPECT_TRUE(fs::is_regular_file(path));
}

TEST(SafeFileWriter, NewFileGetsTheModeTheUmaskAllows)
{
    TempHome home;
    const mode_t oldMask = umask(027);
    const bool written = static_cast<bool>(WriteFileAtomically(home.sandbox() + "/new.pre", "x"));
    umask(oldMask);
    ASSERT_TRUE(written);
    struct stat info;
    ASSERT_EQ(stat((home.sandbox() + "/new.pre").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(SafeFileWriter, WritesThroughSymbolicLinks)
{
    TempHome home;
    const std::string real = home.sandbox() + "/real/doc.pre";
    WriteFileBytes(real, "old");
    const std::string link = home.sandbox() + "/link.pre";
    fs::create_symlink("real/doc.pre", link);
    const std::string dangling = home.sandbox() + "/dangling.pre";
    fs::create_symlink(home.sandbox() + "/real/later.pre", dangling);

    ASSERT_TRUE(WriteFileAtomically(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real), "new");

    ASSERT_TRUE(WriteFileAtomically(dangling, "later"));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(ReadFileBytes(home.sandbox() + "/real/later.pre"), "later");
    EXPECT_EQ(Snapshot(home.sandbox() + "/real").size(), 2u);
}

std::size_t OpenDescriptors()
{
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

// The second reading is of the file the first one read, even when a save
// has put another in its place meanwhile.
TEST(SafeFileWriter, ReadsAFileTwiceThroughOneHandle)
{
    TempHome home;
    const std::string path = home.sandbox() + "/list.pre";
    WriteFileBytes(path, "first");
    const std::size_t descriptors = OpenDescriptors();
    std::string first;
    std::string second;
    const auto into = [](std::string& read) {
        return [&read](std::string_view piece) { read.append(piece); };
    };
    ASSERT_TRUE(ReadWholeFileInPiecesTwice(path, 5, into(first), [&] {
        EXPECT_TRUE(WriteFileAtomically(path, "other"));
        return TakePiece(into(second));
    }));
    EXPECT_EQ(first, "first");
    EXPECT_EQ(second, "first");
    ASSERT_TRUE(ReadWholeFileInPiecesTwice(path, 5, into(first), [] { return TakePiece(); }));
    EXPECT_EQ(first, "firstother");
    EXPECT_EQ(ReadWholeFileInPiecesTwice(path, 4, into(first), [] { return TakePiece(); }).failure(),
              Failure::TooLarge);
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST(SafeFileWriter, ReadsWholeFilesUpToTheBound)
{
    TempHome home;
    const std::string folder = home.sandbox();
    WriteFileBytes(folder + "/ten", "0123456789");
    WriteFileBytes(folder + "/eleven", "0123456789A");
    WriteFileBytes(folder + "/empty", "");
    WriteFileBytes(folder + "/binary", std::string("a\0\r\n\xff", 5));
    mkfifo((folder + "/pipe").c_str(), 0644);
    mkfifo((folder + "/pipe-with-writer").c_str(), 0644);
    const int writer = open((folder + "/pipe-with-writer").c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    symlink("ten", (folder + "/link").c_str());
    symlink("/dev/zero", (folder + "/device").c_str());
    struct Case {
        std::string name;
        std::optional<Failure> failure;
        std::string bytes;
    };
    const Case cases[] = {
        {"ten", std::nullopt, "0123456789"},
        {"eleven", Failure::TooLarge, ""},
        {"empty", std::nullopt, ""},
        {"binary", std::nullopt, std::string("a\0\r\n\xff", 5)},
        {"missing", Failure::CannotOpen, ""},
        {"home", Failure::CannotOpen, ""},  // a folder
        {"pipe", Failure::CannotOpen, ""},  // no writer: no wait either
        {"pipe-with-writer", Failure::CannotOpen, ""},  // a writer that never writes
        {"device", Failure::CannotOpen, ""},
        {"link", std::nullopt, "0123456789"},
    };
    const std::size_t descriptors = OpenDescriptors();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        errno = EINTR;  // left from before: the end of the file must still end the read
        const Result<std::string> bytes = ReadWholeFile(folder + "/" + c.name, 10);
        EXPECT_EQ(FailureOf(bytes), c.failure);
        EXPECT_EQ(bytes ? *bytes : "", c.bytes);
    }
    EXPECT_EQ(OpenDescriptors(), descriptors) << "a file refused or read is closed";
    close(writer);
}

}  // namespace
