#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "core/Result.h"

// Replaces the file at path with bytes, or leaves it untouched: the bytes
// go to a temporary file in the same folder, every write is checked, the
// file is flushed to disk and closed, then renamed over the target. On any
// failure the temporary file is removed and CannotWrite is returned. A
// target that is not a regular file, or that the user may not write, is
// refused.
// A symbolic link at path is followed by default, so that saving keeps the
// link; Links::Replace puts the new file in the link's place instead and
// never writes where it points (for files in folders others may write).
// When the folder refuses a temporary file but the existing target may be
// written, it is written in place and flushed. A save also removes the
// temporary files that killed saves left in the folder.
enum class Links { Follow, Replace };
// Who may read the file: whoever the old file allowed (a new file gets
// what the umask leaves), or only its owner, also when the old file
// allowed more. Windows leaves that to the folder's access list.
enum class Readers { AsBefore, OwnerOnly };
Result<> WriteFileAtomically(const std::string& path, const std::string& bytes, Links links = Links::Follow,
                             Readers readers = Readers::AsBefore);

// The same with bytes made piece by piece while they are written, so that
// megabytes are never held whole: produce hands each piece to put and
// gives false once put has given false.
using PutPiece = std::function<bool(std::string_view piece)>;
using ProducePieces = std::function<bool(const PutPiece& put)>;
Result<> WriteFileAtomically(const std::string& path, const ProducePieces& produce,
                             Links links = Links::Follow, Readers readers = Readers::AsBefore);

// Makes the folder's entries (a file created or renamed in it) durable;
// false when the system refuses.
bool SyncFolder(const std::string& folder);

// Reads a whole regular file (links followed) of at most maxBytes bytes;
// anything else cannot be opened (CannotOpen), a longer file is TooLarge.
Result<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes);

// Reads a descriptor to its end: at most maxBytes bytes (TooLarge once one
// more arrives, without reading on), expectedBytes being a first guess.
Result<std::string> ReadAll(int fd, std::size_t maxBytes, std::size_t expectedBytes = 65536);

// Read as ReadWholeFile and ReadAll read, with the same failures, but the
// bytes are handed to take piece by piece as they arrive instead of being
// held together: for megabytes that are looked at once and never kept.
// A piece is small enough to stay in the processor's cache while it is
// looked at.
using TakePiece = std::function<void(std::string_view piece)>;
inline constexpr std::size_t kReadPieceBytes = 256 * 1024;
Result<> ReadWholeFileInPieces(const std::string& path, std::size_t maxBytes, const TakePiece& take);
Result<> ReadAllInPieces(int fd, std::size_t maxBytes, const TakePiece& take);

// Reads a regular file in pieces as ReadWholeFileInPieces does, then, when
// second gives a take, once more from its start through the same handle:
// a file renamed over the path meanwhile is not the one read again.
Result<> ReadWholeFileInPiecesTwice(const std::string& path, std::size_t maxBytes, const TakePiece& first,
                                    const std::function<TakePiece()>& second);

// Writes all of bytes to the descriptor, again after an interrupted call;
// false when the system refuses some of them.
bool WriteAll(int fd, std::string_view bytes);

// Takes an advisory lock on the whole file for as long as the descriptor
// stays open; false at once when another descriptor holds it.
bool LockExclusively(int fd);

// A write past the file size limit fails with an error instead of killing
// the process, so that it can be reported like a full disk.
void ReportFileSizeLimitAsError();
