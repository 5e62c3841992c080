#include "core/files/LineEnds.h"
#include "core/files/SafeFileWriter.h"

#include <algorithm>
#include <cerrno>

#include "core/files/ReadToEnd.h"
#include "core/files/WideTextWindows.h"

const LineEnds kTextFileLineEnds = LineEnds::CarriageReturnLineFeed;

namespace {

// The handle closes itself, so that no return path leaks it.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool Close()
    {
        const bool closed = !IsOpen() || CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

bool WriteAllToHandle(HANDLE handle, std::string_view bytes)
{
    return WriteToEnd(bytes, [handle](const char* from, std::size_t most) -> long long {
        DWORD written = 0;
        return WriteFile(handle, from, static_cast<DWORD>(most), &written, nullptr) ? written : -1;
    });
}

std::wstring FolderOf(const std::wstring& path)
{
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos)
        return L".";
    return path.substr(0, separator + (separator == 0 || path[separator - 1] == L':' ? 1 : 0));
}

}  // namespace

bool SyncFolder(const std::string&)
{
    // NTFS journals its folder entries; MoveFileEx's write-through waits for them.
    return true;
}

bool LockExclusively(int fd)
{
    // A byte far past any ledger's end: the lock keeps other senders out
    // without barring reads of the file's contents.
    OVERLAPPED beyond{};
    beyond.OffsetHigh = 0x40000000;
    return LockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd)),
                      LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &beyond) != 0;
}

// Windows has no file size signal.
void ReportFileSizeLimitAsError() {}

bool WriteAll(int fd, std::string_view bytes)
{
    return WriteToEnd(bytes, [fd](const char* from, std::size_t most) -> long long {
        for (;;) {
            const int n = _write(fd, from, static_cast<unsigned>(most));
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

Result<> WriteFileAtomically(const std::string& path, const ProducePieces& produce, Links, Readers)
{
    const std::wstring target = WideFromUtf8(path);
    if (target.empty() || target.back() == L'\\' || target.back() == L'/')
        return Failure::CannotWrite;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // A read-only file is not replaced behind the user's back, as 0444 is not on Linux.
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DEVICE))
            return Failure::CannotWrite;
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        return Failure::CannotWrite;
    }

    wchar_t temp[MAX_PATH + 1];
    const std::wstring folder = FolderOf(target);
    if (folder.size() > MAX_PATH - 14 || !GetTempFileNameW(folder.c_str(), L"vts", 0, temp))
        return Failure::CannotWrite;
    FileHandle file(
        CreateFileW(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool written = file.IsOpen() &&
        produce([&file](std::string_view piece) { return WriteAllToHandle(file.get(), piece); }) &&
        FlushFileBuffers(file.get());
    if (!file.Close() || !written ||
        !MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp);
        return Failure::CannotWrite;
    }
    return Done();
}

namespace {

// Only disk files are read, so that a pipe or a device cannot hang the window.
HANDLE OpenDiskFile(const std::string& path)
{
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE && GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

// The size of an opened file that may be read whole.
Result<std::size_t> SizeWithin(const FileHandle& file, std::size_t maxBytes)
{
    LARGE_INTEGER size;
    if (!file.IsOpen() || !GetFileSizeEx(file.get(), &size))
        return Failure::CannotOpen;
    if (static_cast<unsigned long long>(size.QuadPart) > maxBytes)
        return Failure::TooLarge;
    return static_cast<std::size_t>(size.QuadPart);
}

Result<> ReadHandleInPieces(const FileHandle& file, std::size_t maxBytes, const TakePiece& take)
{
    return ReadToEndInPieces(maxBytes, take, [&file](char* into, std::size_t room) -> long long {
        DWORD n = 0;
        return ReadFile(file.get(), into, static_cast<DWORD>(room), &n, nullptr) ? n : -1;
    });
}

// The C runtime and Windows read at most an int's or a DWORD's worth at once.
constexpr std::size_t kLargestRead = 1 << 30;

}  // namespace

Result<std::string> ReadAll(int fd, std::size_t maxBytes, std::size_t expectedBytes)
{
    return ReadToEnd(maxBytes, expectedBytes, [fd](char* into, std::size_t room) -> long long {
        return _read(fd, into, static_cast<unsigned>(std::min(room, kLargestRead)));
    });
}

Result<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes)
{
    FileHandle file(OpenDiskFile(path));
    const Result<std::size_t> size = SizeWithin(file, maxBytes);
    if (!size)
        return size.failure();
    return ReadToEnd(maxBytes, *size, [&file](char* into, std::size_t room) -> long long {
        DWORD n = 0;
        const DWORD most = static_cast<DWORD>(std::min(room, kLargestRead));
        return ReadFile(file.get(), into, most, &n, nullptr) ? n : -1;
    });
}

Result<> ReadAllInPieces(int fd, std::size_t maxBytes, const TakePiece& take)
{
    return ReadToEndInPieces(maxBytes, take, [fd](char* into, std::size_t room) -> long long {
        return _read(fd, into, static_cast<unsigned>(room));
    });
}

Result<> ReadWholeFileInPieces(const std::string& path, std::size_t maxBytes, const TakePiece& take)
{
    return ReadWholeFileInPiecesTwice(path, maxBytes, take, [] { return TakePiece(); });
}

Result<> ReadWholeFileInPiecesTwice(const std::string& path, std::size_t maxBytes, const TakePiece& first,
                                    const std::function<TakePiece()>& second)
{
    FileHandle file(OpenDiskFile(path));
    const Result<std::size_t> size = SizeWithin(file, maxBytes);
    if (!size)
        return size.failure();
    Result<> read = ReadHandleInPieces(file, maxBytes, first);
    if (read) {
        if (const TakePiece take = second(); take)
            read = SetFilePointerEx(file.get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN)
                ? ReadHandleInPieces(file, maxBytes, take)
                : Failure::CannotOpen;
    }
    return read;
}
