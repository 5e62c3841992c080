#pragma once

#include <string>

// The bytes of an exported receiver list: the collected addresses with
// every line feed stored as CR LF, no final line break.
std::string ReceiverExportBytes(const std::string& collectedReceivers);

// The receivers text that an imported file gives: CR LF turned into line
// feeds, cut at the first NUL, read as Windows-1252 when not valid UTF-8,
// followed by one line feed.
std::string ReceiversFromImportBytes(const std::string& bytes);

// Files larger than this are refused on import.
inline constexpr std::size_t kMaxImportBytes = 16u * 1024 * 1024;
