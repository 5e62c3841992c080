#pragma once

#include <string>

#include <windows.h>

#include "core/settings/RegistryRootWindows.h"

// Moves the settings below a fresh key of HKEY_CURRENT_USER for its
// lifetime ("user" and "machine" below it stand for the two roots) and
// removes that key afterwards.
class RegistrySandbox {
public:
    RegistrySandbox()
        : key_(L"Software\\Tarsel\\VantrelTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++count_)),
          old_(
              UseRegistryRoots({HKEY_CURRENT_USER, key_ + L"\\user", HKEY_CURRENT_USER, key_ + L"\\machine"}))
    {
    }
    ~RegistrySandbox()
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tarsel\\VantrelTests");  // only once it is empty
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tarsel");
        UseRegistryRoots(old_);
    }
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // The key that stands for HKEY_LOCAL_MACHINE, where an installation writes.
    std::wstring MachineKey() const { return key_ + L"\\machine\\Software\\Tarsel\\Vantrel"; }
    std::wstring UserKey() const { return key_ + L"\\user\\Software\\Tarsel\\Vantrel"; }

private:
    static inline int count_ = 0;
    std::wstring key_;
    RegistryRoots old_;
};
