#pragma once

#include <cstddef>
#include <string>

#include "core/signin/Keyring.h"

// What both keyrings' files share: how an entry is named and when a key can
// be one at all.

// "password" or "refresh-token", the kind as the keyring stores it.
const char* SecretKindName(SecretKind kind);

// The entry's name as the keyring's own manager lists it, e.g.
// "Vantrel: refresh token for ann@x.org at smtps://smtp.gmail.com:465".
std::string SecretLabel(SecretKind kind, const std::string& server, const std::string& user);

// Server and user go into the keyring as text: valid UTF-8 without NUL.
// Anything else would be cut or refused there, and two users could end up
// sharing one entry.
bool IsKeyText(const std::string& text);

// Overwrites a secret's bytes in a way the compiler may not leave out.
void WipeSecret(void* bytes, std::size_t size);
