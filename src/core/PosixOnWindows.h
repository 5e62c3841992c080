#pragma once

// Put before every file of the Windows build (see CMakeLists.txt): the few
// POSIX names the shared files use, on Windows' C runtime. Paths stay
// UTF-8 because the programs' manifest sets the UTF-8 code page.
#include <cstdlib>
#include <ctime>

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <unistd.h>

// Every descriptor the program opens is binary: documents are bytes.
#define O_CLOEXEC _O_BINARY
#define O_NOFOLLOW 0
#define O_NONBLOCK 0
// The C runtime copies the user's permissions to the group and others;
// only the user's count, and folders need no search permission.
#undef S_IWGRP
#define S_IWGRP 0
#undef S_IWOTH
#define S_IWOTH 0
#define S_ISVTX 0
#undef X_OK
#define X_OK 0

inline int fsync(int fd) { return _commit(fd); }
// Windows has no symbolic links that a user makes in passing; a file is
// looked at as it is.
inline int lstat(const char* path, struct stat* info) { return stat(path, info); }
// The C runtime reports every file as owned by user 0.
inline int geteuid() { return 0; }
inline int fdatasync(int fd) { return _commit(fd); }

inline std::tm* gmtime_r(const std::time_t* time, std::tm* result)
{
    return gmtime_s(result, time) == 0 ? result : nullptr;
}

// The C runtime converts in its own code page: for ASCII values (tests).
inline int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
// An empty value removes the variable from the C runtime's environment.
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }

inline char* mkdtemp(char* pattern) { return _mktemp(pattern) && _mkdir(pattern) == 0 ? pattern : nullptr; }

// A scratch file is removed when its descriptor closes: Windows cannot
// unlink a file that is open, as the probes do right after making it.
inline int MakeScratchFile(char* pattern)
{
    return _mktemp(pattern)
        ? _open(pattern, _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_TEMPORARY, _S_IREAD | _S_IWRITE)
        : -1;
}
#define mkstemp MakeScratchFile

inline std::tm* localtime_r(const std::time_t* time, std::tm* result)
{
    return localtime_s(result, time) == 0 ? result : nullptr;
}
