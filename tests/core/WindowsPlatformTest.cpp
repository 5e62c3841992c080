// What only Windows has: the registry, wide paths, replacing on rename and
// the read-only attribute.
#include <gtest/gtest.h>

#include <filesystem>

#include "FormSamples.h"
#include "TempHome.h"
#include "WindowsRegistrySandbox.h"
#include "core/documents/DocumentFormat.h"
#include "core/files/SafeFileWriter.h"
#include "core/files/WideTextWindows.h"
#include "core/release/ReleaseFile.h"
#include "core/settings/SettingsStore.h"

namespace {

void SetRawValue(const std::wstring& key, const wchar_t* name, DWORD type, const std::string& bytes)
{
    HKEY handle;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(handle, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(handle);
}

// The user's own value, or "absent".
std::wstring UsersLatestPath()
{
    wchar_t value[2048];
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Tarsel\\Vantrel", L"LatestPath", RRF_RT_ANY, nullptr,
                        value, &size) == ERROR_SUCCESS
        ? std::wstring(value, size / sizeof(wchar_t))
        : L"absent";
}

TEST(WindowsRegistry, ValuesRoundTripBelowAPrivateKey)
{
    const std::wstring users = UsersLatestPath();
    RegistrySandbox registry;
    const std::string cut = std::string(1022, 'a') + "\xC3\xAB";  // 1024 bytes, ë across the limit
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Users\\Zo\xC3\xAB\\Documents\\Release.pre", "C:\\Users\\Zo\xC3\xAB\\Documents\\Release.pre"},
        {"C:\\Users\\Zo\xC3\xAB\\\xE6\x96\x87\xE6\x9B\xB8\\\xD0\x92\xD1\x8B.pre",
         "C:\\Users\\Zo\xC3\xAB\\\xE6\x96\x87\xE6\x9B\xB8\\\xD0\x92\xD1\x8B.pre"},
        {std::string(1023, 'x'), std::string(1023, 'x')},
        {cut, std::string(1022, 'a')},
        {"", ""},
    };
    for (const auto& [written, read] : cases) {
        ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kLatestPathSetting, written));
        const Result<std::string> back = ReadSetting(kSettingsKeyPath, kLatestPathSetting);
        ASSERT_TRUE(back) << written;
        EXPECT_EQ(*back, read);
    }
    EXPECT_EQ(UsersLatestPath(), users) << "the user's own value was touched";
}

TEST(WindowsRegistry, InstallPathFromTheMachineAndOlderValues)
{
    RegistrySandbox registry;
    EXPECT_EQ(ReadSetting(kSettingsKeyPath, kInstallPathSetting).failure(), Failure::Missing);

    const std::wstring folder = L"C:\\Program Files\\Vantrel";
    SetRawValue(registry.MachineKey(), L"InstallPath", REG_SZ,
                std::string(reinterpret_cast<const char*>(folder.c_str()), (folder.size() + 1) * 2));
    EXPECT_EQ(*ReadSetting(kSettingsKeyPath, kInstallPathSetting), "C:\\Program Files\\Vantrel");
    ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kInstallPathSetting, "D:\\Mine"));
    EXPECT_EQ(*ReadSetting(kSettingsKeyPath, kInstallPathSetting), "D:\\Mine");

    // The 1024-byte blocks of 8-bit text that earlier versions wrote.
    std::string block = "C:\\Docs\\old.pre";
    block.resize(1024, '\0');
    SetRawValue(registry.UserKey(), L"LatestPath", REG_NONE, block);
    EXPECT_EQ(*ReadSetting(kSettingsKeyPath, kLatestPathSetting), "C:\\Docs\\old.pre");
    // Zoë in the ANSI code page (Windows-1252 here) and in UTF-8.
    for (const std::string& zoe : {std::string("C:\\Zo\xEB.pre"), std::string("C:\\Zo\xC3\xAB.pre")}) {
        SetRawValue(registry.UserKey(), L"LatestPath", REG_NONE, zoe + std::string(8, '\0'));
        EXPECT_EQ(*ReadSetting(kSettingsKeyPath, kLatestPathSetting), "C:\\Zo\xC3\xAB.pre");
    }
    SetRawValue(registry.UserKey(), L"LatestPath", REG_NONE, std::string(1100, 'y'));
    EXPECT_EQ(ReadSetting(kSettingsKeyPath, kLatestPathSetting).failure(), Failure::TooLarge);
}

TEST(WindowsFiles, WidePathsReplaceOnRenameAndReadOnly)
{
    TempHome home;
    // Zoë is in Windows-1252; the folder and the name are not.
    const std::string folder = home.sandbox() + "\\Users\\Zo\xC3\xAB\\\xD0\x94\xD0\xBE\xD0\xBA";
    const std::string path = folder + "\\\xE3\x83\xAA\xE3\x83\xAA\xE3\x83\xBC\xE3\x82\xB9 \xE2\x82\xAC.pre";
    std::filesystem::create_directories(std::filesystem::path(WideFromUtf8(folder)));
    const std::string first = WriteDocumentBytes(SampleForm(), 0);
    ASSERT_TRUE(WriteFileAtomically(path, first));
    EXPECT_EQ(*ReadWholeFile(path, 1 << 20), first);

    FormValues changed = SampleForm();
    changed.productName = "Vantrel \xC3\xA9" + std::string(5000, 'n');
    const std::string second = WriteDocumentBytes(changed, 0);
    ASSERT_TRUE(WriteFileAtomically(path, second));
    const Result<std::string> reread = ReadWholeFile(path, 1 << 20);
    ASSERT_TRUE(reread);
    EXPECT_EQ(*reread, second);
    EXPECT_EQ(ReadDocumentBytes(*reread)->form.productName, changed.productName);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(WideFromUtf8(folder)))
        ++files;
    EXPECT_EQ(files, 1) << "a temporary file was left behind";

    const std::wstring wide = WideFromUtf8(path);
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(WriteFileAtomically(path, first).failure(), Failure::CannotWrite);
    EXPECT_EQ(*ReadWholeFile(path, 1 << 20), second);
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_FALSE(WriteFileAtomically(folder, first));
    EXPECT_FALSE(ReadWholeFile(folder, 1 << 20));
    EXPECT_EQ(ReadWholeFile(path, 10).failure(), Failure::TooLarge);
}

TEST(WindowsFiles, TheReleaseFileUnderAUsersFolderNamedOutsideAscii)
{
    TempHome home;
    const std::string local = home.sandbox() + "\\Users\\Zo\xC3\xAB\\AppData\\Local";
    std::filesystem::create_directories(std::filesystem::path(WideFromUtf8(local)));
    wchar_t old[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"LOCALAPPDATA", old, MAX_PATH);
    SetEnvironmentVariableW(L"LOCALAPPDATA", WideFromUtf8(local).c_str());
    const std::string path = ReleaseFilePath("");
    EXPECT_EQ(path, local + "/vantrel/temp.txt");
    EXPECT_TRUE(WriteFileAtomically(path, "Press release from Tarsel\n"));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(WideFromUtf8(local + "\\vantrel\\temp.txt"))));
    SetEnvironmentVariableW(L"LOCALAPPDATA", old);
}

}  // namespace
