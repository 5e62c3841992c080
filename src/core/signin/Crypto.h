#pragma once

#include <cstddef>
#include <string>

#include "core/Result.h"

// The platform's side (CryptoPosix.cpp, CryptoWindows.cpp): a well-kept
// library does both, never code of ours.

// count bytes from the system's secure random source; CannotOpen when
// there is none.
Result<std::string> SecureRandomBytes(std::size_t count);

// The 32 bytes of SHA-256 over bytes; CannotOpen when no library gives it.
Result<std::string> Sha256(const std::string& bytes);
