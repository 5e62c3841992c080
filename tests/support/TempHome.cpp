#include "TempHome.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

TempHome::TempHome()
{
    std::string pattern = (fs::temp_directory_path() / "vantrel-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    sandbox_ = pattern;
    home_ = sandbox_ + "/home";
    fs::create_directories(home_);

    if (const char* old = std::getenv("HOME"))
        oldHome_ = old;
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
        hadConfigHome_ = true;
        oldConfigHome_ = old;
    }
    if (const char* old = std::getenv("XDG_CONFIG_DIRS"))
        oldConfigDirs_ = old;
    setenv("HOME", home_.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    // Ledgers of sends go below the temporary home as well.
    unsetenv("XDG_STATE_HOME");
    // Copies kept while a document is written in place, too.
    unsetenv("XDG_CACHE_HOME");
    // Settings an installation on this machine made must not reach the tests.
    setenv("XDG_CONFIG_DIRS", (sandbox_ + "/etc/xdg").c_str(), 1);
}

TempHome::~TempHome()
{
    setenv("HOME", oldHome_.c_str(), 1);
    if (hadConfigHome_)
        setenv("XDG_CONFIG_HOME", oldConfigHome_.c_str(), 1);
    if (oldConfigDirs_.empty())
        unsetenv("XDG_CONFIG_DIRS");
    else
        setenv("XDG_CONFIG_DIRS", oldConfigDirs_.c_str(), 1);
    std::error_code ignored;
    fs::permissions(sandbox_, fs::perms::owner_all, fs::perm_options::add, ignored);
    // A destructor must not throw: a folder the walk cannot enter (a path
    // beyond Windows' 260 characters) ends the walk instead.
    std::error_code walk;
    for (fs::recursive_directory_iterator entry(sandbox_, walk), end; !walk && entry != end;
         entry.increment(walk))
        fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(sandbox_, ignored);
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path)
{
    std::error_code ignored;
    return fs::exists(path, ignored);
}
