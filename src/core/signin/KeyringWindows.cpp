#include <string>

#include <windows.h>

#include <wincred.h>

#include "core/files/WideTextWindows.h"
#include "core/signin/Keyring.h"
#include "core/signin/KeyringEntry.h"

// The Credential Manager: one generic credential per kind, server and user,
// kept for the user on this machine only (never roamed with the profile).
namespace {

// Windows' own limit since Vista; MinGW's header still gives XP's 512.
constexpr std::size_t kMostCredentialBytes = 5 * 512;

// The user comes last and its colons are escaped, so that no other server
// and user ("smtp://a:1" with "b:c", "smtp://a:1:b" with "c") give the same
// name. Windows compares these names without regard to case.
std::wstring TargetName(SecretKind kind, const std::string& server, const std::string& user)
{
    std::string escaped;
    for (const char c : user) {
        if (c == '%')
            escaped += "%25";
        else if (c == ':')
            escaped += "%3A";
        else
            escaped += c;
    }
    return WideFromUtf8(std::string("Vantrel:") + SecretKindName(kind) + ":" + server + ":" + escaped);
}

// The label and the user name only describe the entry (the target name
// finds it) and have limits of their own: cut where Windows would refuse.
std::wstring CutTo(std::wstring text, std::size_t most)
{
    if (text.size() <= most)
        return text;
    // Never half of a surrogate pair.
    const bool splitsPair = text[most - 1] >= 0xD800 && text[most - 1] <= 0xDBFF;
    text.resize(splitsPair ? most - 1 : most);
    return text;
}

// Without a logon session (a service account that never logged on) there is
// no credential store to reach.
Failure WhyNot(Failure otherwise)
{
    return GetLastError() == ERROR_NO_SUCH_LOGON_SESSION ? Failure::CannotOpen : otherwise;
}

}  // namespace

Result<std::string> ReadSecret(SecretKind kind, const std::string& server, const std::string& user)
{
    if (!IsKeyText(server) || !IsKeyText(user))
        return Failure::Damaged;
    PCREDENTIALW credential = nullptr;
    if (!CredReadW(TargetName(kind, server, user).c_str(), CRED_TYPE_GENERIC, 0, &credential))
        return GetLastError() == ERROR_NOT_FOUND ? Failure::Missing : Failure::CannotOpen;
    std::string secret(reinterpret_cast<const char*>(credential->CredentialBlob),
                       credential->CredentialBlobSize);
    SecureZeroMemory(credential->CredentialBlob, credential->CredentialBlobSize);
    CredFree(credential);
    return secret;
}

Result<> StoreSecret(SecretKind kind, const std::string& server, const std::string& user,
                     const std::string& secret)
{
    if (!IsKeyText(server) || !IsKeyText(user))
        return Failure::Damaged;
    if (secret.size() > kMostCredentialBytes)
        return Failure::TooLarge;
    std::wstring target = TargetName(kind, server, user);
    std::wstring userName = CutTo(WideFromUtf8(user), CRED_MAX_USERNAME_LENGTH);
    std::wstring label = CutTo(WideFromUtf8(SecretLabel(kind, server, user)), CRED_MAX_STRING_LENGTH);
    CREDENTIALW credential{};
    credential.Type = CRED_TYPE_GENERIC;
    credential.TargetName = target.data();
    credential.Comment = label.data();
    credential.UserName = userName.data();
    // The bytes as they are: a secret may hold a NUL.
    credential.CredentialBlobSize = static_cast<DWORD>(secret.size());
    credential.CredentialBlob = reinterpret_cast<LPBYTE>(const_cast<char*>(secret.data()));
    credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
    if (!CredWriteW(&credential, 0))
        return WhyNot(Failure::CannotWrite);
    return Done();
}

Result<> ForgetSecret(SecretKind kind, const std::string& server, const std::string& user)
{
    if (!IsKeyText(server) || !IsKeyText(user))
        return Failure::Damaged;
    if (!CredDeleteW(TargetName(kind, server, user).c_str(), CRED_TYPE_GENERIC, 0) &&
        GetLastError() != ERROR_NOT_FOUND)
        return WhyNot(Failure::CannotWrite);
    return Done();
}
