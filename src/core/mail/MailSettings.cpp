#include "core/mail/MailSettings.h"

#include <cctype>

#include "core/settings/SettingsStore.h"

namespace {

std::string ReadOr(const char* name, const std::string& fallback)
{
    const Result<std::string> value = ReadSetting(kSettingsKeyPath, name);
    return value ? *value : fallback;
}

}  // namespace

bool ParsePerMinute(const std::string& text, int& perMinute)
{
    if (text.empty() || text.size() > 4)
        return false;
    int value = 0;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        value = value * 10 + (c - '0');
    }
    if (value > 6000)
        return false;
    perMinute = value;
    return true;
}

MailSettings ReadMailSettings()
{
    MailSettings settings;
    settings.server = ReadOr(kMailServerSetting, "");
    settings.user = ReadOr(kMailUserSetting, "");
    settings.sender = ReadOr(kMailSenderSetting, "");
    int perMinute = settings.perMinute;
    if (ParsePerMinute(ReadOr(kMailPaceSetting, ""), perMinute))
        settings.perMinute = perMinute;
    int timeLimit = 0;
    if (ParsePerMinute(ReadOr(kMailTimeLimitSetting, ""), timeLimit) && timeLimit > 0)
        settings.timeLimit = timeLimit;
    settings.rememberPassword = ReadOr(kMailRememberPasswordSetting, "") == "1";
    return settings;
}

Result<> WriteMailSettings(const MailSettings& settings)
{
    for (const auto& [name, value] :
         {std::pair<const char*, std::string>{kMailServerSetting, settings.server},
          {kMailUserSetting, settings.user},
          {kMailSenderSetting, settings.sender},
          {kMailPaceSetting, std::to_string(settings.perMinute)},
          {kMailTimeLimitSetting, std::to_string(settings.timeLimit)},
          {kMailRememberPasswordSetting, settings.rememberPassword ? "1" : "0"}})
        if (Result<> written = WriteSetting(kSettingsKeyPath, name, value); !written)
            return written;
    return Done();
}

std::string MailUserProblem(const std::string& server, const std::string& user)
{
    if (user.find("://") != std::string::npos)
        return "the user name is a server's URL; give it as the server";
    if (server.empty() && !user.empty())
        return "a user name needs a server";
    return {};
}
