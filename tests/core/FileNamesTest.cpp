#include <gtest/gtest.h>

#include "core/files/FileNames.h"

namespace {

// The extension is added unless the file's own name already ends in it; a
// name that is only the extension is a hidden file still without one.
TEST(FileNames, TheExtensionIsAddedUnlessTheNameEndsInIt)
{
    const std::pair<std::string, std::string> cases[] = {
        {"notely-2.1", "notely-2.1.pre"},
        {"launch.PRE", "launch.PRE"},
        {"/home/ann/launch.pre", "/home/ann/launch.pre"},
        {"/home/ann/.pre", "/home/ann/.pre.pre"},
        {".pre", ".pre.pre"},
        {"/home/ann.pre/notes", "/home/ann.pre/notes.pre"},
        {"x.pr", "x.pr.pre"},
    };
    for (const auto& [path, written] : cases)
        EXPECT_EQ(WithExtension(path, ".pre"), written) << path;
}

}  // namespace
