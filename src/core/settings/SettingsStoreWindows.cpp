#include "core/settings/SettingsStore.h"

#include "core/documents/TextEncoding.h"
#include "core/files/WideTextWindows.h"
#include "core/settings/RegistryRootWindows.h"
#include "core/settings/SettingsFormat.h"

namespace {

RegistryRoots roots;

std::string Utf8FromAnsi(const std::string& text)
{
    const int size = static_cast<int>(text.size());
    std::wstring wide(MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
    return Utf8FromWide(wide);
}

std::wstring KeyName(const std::wstring& prefix, const std::string& keyPath)
{
    return prefix.empty() ? WideFromUtf8(keyPath) : prefix + L"\\" + WideFromUtf8(keyPath);
}

// Values are written as wide strings. An older value of 8-bit characters
// (REG_NONE or REG_BINARY, NUL-terminated) was written in the ANSI code
// page by earlier versions, or as UTF-8 by a hand that knew better: bytes
// that are valid UTF-8 are taken as such, others in the ANSI code page.
Result<std::string> ReadValue(HKEY root, const std::wstring& keyName, const std::string& valueName)
{
    HKEY key;
    if (RegOpenKeyExW(root, keyName.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return Failure::Missing;
    const std::wstring name = WideFromUtf8(valueName);
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    std::wstring data((size + 1) / sizeof(wchar_t) + 1, L'\0');
    if (status == ERROR_SUCCESS)
        status =
            RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return Failure::Missing;
    std::string text;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        data.resize(size / sizeof(wchar_t));
        text = Utf8FromWide(data.substr(0, data.find(L'\0')));
    } else {
        text.assign(reinterpret_cast<const char*>(data.data()), size);
        text = text.substr(0, text.find('\0'));
        if (text.size() <= kMaxSettingLength && !IsValidUtf8(text))
            return Utf8FromAnsi(text);
    }
    if (text.size() > kMaxSettingLength)
        return Failure::TooLarge;
    return text;
}

}  // namespace

RegistryRoots UseRegistryRoots(const RegistryRoots& newRoots)
{
    RegistryRoots old = roots;
    roots = newRoots;
    return old;
}

Result<std::string> ReadSetting(const std::string& keyPath, const std::string& valueName)
{
    const Result<std::string> user = ReadValue(roots.user, KeyName(roots.userPrefix, keyPath), valueName);
    if (user || user.failure() != Failure::Missing)
        return user;
    return ReadValue(roots.machine, KeyName(roots.machinePrefix, keyPath), valueName);
}

Result<> WriteSetting(const std::string& keyPath, const std::string& valueName, const std::string& text)
{
    HKEY key;
    if (RegCreateKeyExW(roots.user, KeyName(roots.userPrefix, keyPath).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return Failure::CannotWrite;
    const std::wstring value = WideFromUtf8(CutToLength(text, kMaxSettingLength));
    const LSTATUS status = RegSetValueExW(key, WideFromUtf8(valueName).c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(value.c_str()),
                                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? Done() : Failure::CannotWrite;
}
