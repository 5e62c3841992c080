// Saving is durable only when the new bytes reach the disk before the
// rename, the rename reaches it too, and a failed close is not taken for
// success. This program is linked with fsync, close and rename wrapped
// (-Wl,--wrap=...), so every call is seen and any can be made to fail.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "TempHome.h"
#include "core/files/SafeFileWriter.h"
#include "core/settings/SettingsStore.h"

extern "C" {
int __real_fsync(int fd);
int __real_close(int fd);
int __real_rename(const char* from, const char* to);
int __real_mkostemp64(char* pattern, int flags);
}

namespace {

std::vector<std::string> events;   // "fsync PATH", "close PATH", "rename TO"
std::string failCloseOfPrefix;     // a close of a file whose path starts so fails with EIO
bool refuseTemporaryFiles = false; // mkostemp fails as in a folder the user may not write

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
    if (refuseTemporaryFiles) {
        errno = EACCES;
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
// its bytes are flushed before the close, and a failed close is a failure.
TEST(Durability, WritingInPlaceFlushesAndChecksTheClose)
{
    TempHome home;
    const std::string path = home.sandbox() + "/doc.pre";
    ASSERT_TRUE(WriteFileAtomically(path, "old"));
    refuseTemporaryFiles = true;
    events.clear();
    EXPECT_TRUE(WriteFileAtomically(path, "new"));
    const int flushed = Find("fsync " + path);
    ASSERT_GE(flushed, 0);
    EXPECT_LT(flushed, Find("close " + path));
    failCloseOfPrefix = path;
    EXPECT_FALSE(WriteFileAtomically(path, "newer"));
    failCloseOfPrefix.clear();
    refuseTemporaryFiles = false;
}

}  // namespace
