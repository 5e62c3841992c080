// Save faults that need POSIX: a file size limit and permission bits.
#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "DocumentTesting.h"
#include "core/documents/DocumentFormat.h"

namespace fs = std::filesystem;

namespace {

TEST_F(SaveFaultTest, FullDisk)
{
    PrepareOldDocument(Folder() + "/doc.pre");
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit small{8192, old.rlim_max};
    auto* const oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ExpectSaveFailedAndOldKept(oldPath_);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
}

// A document the user may write, in a folder the user may not: written in place.
TEST_F(SaveFaultTest, ReadOnlyFolder)
{
    // Root writes into read-only folders, so the save runs as an ordinary
    // user that owns the old document, the folder and the settings.
    constexpr uid_t kNobody = 65534;
    const bool root = geteuid() == 0;
    PrepareOldDocument(Folder() + "/doc.pre");
    if (root) {
        chmod(home_->sandbox().c_str(), 0711);
        for (const auto& entry : fs::recursive_directory_iterator(home_->sandbox()))
            lchown(entry.path().c_str(), kNobody, kNobody);
        if (setegid(kNobody) != 0 || seteuid(kNobody) != 0) {
            setegid(0);
            GTEST_SKIP() << "cannot become an ordinary user";
        }
    }
    chmod(Folder().c_str(), 0555);
    const bool bitsBind = eaccess(Folder().c_str(), W_OK) != 0 && eaccess(oldPath_.c_str(), W_OK) == 0;
    if (bitsBind) {
        Save(oldPath_);
        EXPECT_EQ(ReadFileBytes(oldPath_), WriteDocumentBytes(app().ReadForm(), app().receiverDelimiter));
        EXPECT_EQ(LatestPath(), oldPath_);
    }
    chmod(Folder().c_str(), 0755);
    if (root) {
        seteuid(0);
        setegid(0);
    }
    if (!bitsBind)
        GTEST_SKIP() << "permission bits do not stop writes here";
}

}  // namespace
