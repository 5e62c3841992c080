#pragma once

#include <string>

// Replaces the file at path with bytes, or leaves it untouched: the bytes
// go to a temporary file in the same folder, every write is checked, the
// file is flushed to disk and closed, then renamed over the target. On any
// failure the temporary file is removed and false is returned. A target
// that is not a regular file, or that the user may not write, is refused.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

enum class ReadFileStatus { Ok, CannotOpen, TooLarge };

// Reads a whole regular file (links followed) of at most maxBytes bytes;
// anything else cannot be opened.
ReadFileStatus ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes);
