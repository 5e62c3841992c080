#pragma once

#include <string>

#include "core/Result.h"

// Secrets kept in the desktop's keyring (the Secret Service on Linux, the
// Credential Manager on Windows), each under the mail server's URL and the
// user name. Never in a file of ours. Server and user must be UTF-8 without
// NUL: any other key is refused as Damaged.
enum class SecretKind { Password, RefreshToken };

// The secret stored for server and user: Missing when none is,
// CannotOpen when no keyring answers (no desktop session, none installed)
// or when it stays locked.
Result<std::string> ReadSecret(SecretKind kind, const std::string& server, const std::string& user);

// Stores (or replaces) it; CannotOpen when no keyring answers, CannotWrite
// when the keyring refused (locked, with no way to ask for it to be
// unlocked). Windows' Credential Manager holds at most 2,560 bytes: a longer
// secret is TooLarge there.
Result<> StoreSecret(SecretKind kind, const std::string& server, const std::string& user,
                     const std::string& secret);

// Removes it; done also when none was stored. CannotOpen when no keyring
// answers, CannotWrite when it refused (also when locked).
Result<> ForgetSecret(SecretKind kind, const std::string& server, const std::string& user);
