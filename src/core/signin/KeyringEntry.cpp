#include "core/signin/KeyringEntry.h"

#include "core/documents/TextEncoding.h"

const char* SecretKindName(SecretKind kind)
{
    return kind == SecretKind::Password ? "password" : "refresh-token";
}

std::string SecretLabel(SecretKind kind, const std::string& server, const std::string& user)
{
    const char* what = kind == SecretKind::Password ? "password" : "refresh token";
    return std::string("Vantrel: ") + what + " for " + user + " at " + server;
}

bool IsKeyText(const std::string& text) { return text.find('\0') == std::string::npos && IsValidUtf8(text); }

void WipeSecret(void* bytes, std::size_t size)
{
    volatile unsigned char* byte = static_cast<volatile unsigned char*>(bytes);
    for (std::size_t i = 0; i < size; ++i)
        byte[i] = 0;
}
