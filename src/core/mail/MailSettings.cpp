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
    settings.imapServer = ReadOr(kMailImapServerSetting, "");
    const std::string unsubscribeUrl = ReadOr(kMailUnsubscribeUrlSetting, "");
    if (UnsubscribeUrlProblem(unsubscribeUrl).empty())
        settings.unsubscribeUrl = unsubscribeUrl;
    settings.unsubscribeFooter = ReadOr(kMailUnsubscribeFooterSetting, "1") != "0";
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
          {kMailRememberPasswordSetting, settings.rememberPassword ? "1" : "0"},
          {kMailImapServerSetting, settings.imapServer},
          {kMailUnsubscribeUrlSetting, settings.unsubscribeUrl},
          {kMailUnsubscribeFooterSetting, settings.unsubscribeFooter ? "1" : "0"}})
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

std::string UnsubscribeUrlProblem(const std::string& url)
{
    if (url.empty())
        return {};
    if (url.compare(0, 8, "https://") != 0 || url.size() == 8)
        return "the unsubscribe address must start with https://";
    if (url.size() > 900)
        return "the unsubscribe address is too long";
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte >= 0x7f || c == '<' || c == '>' || c == ',' || c == '"')
            return "the unsubscribe address may not hold blanks, quotes, commas, angle brackets or "
                   "characters outside ASCII";
    }
    return {};
}

std::string ImapServerOf(const MailSettings& settings)
{
    if (!settings.imapServer.empty())
        return settings.imapServer;
    const std::string& smtpUrl = settings.server;
    const std::size_t start = smtpUrl.find("://");
    std::string host = smtpUrl.substr(start == std::string::npos ? 0 : start + 3);
    host = host.substr(0, host.find_first_of("/?#"));
    // An IPv6 address keeps its brackets; only a port after them goes.
    const std::size_t colon = host.rfind(':');
    if (colon != std::string::npos && host.find(']', colon) == std::string::npos)
        host.erase(colon);
    if (host.empty())
        return {};
    if (host.compare(0, 5, "smtp.") == 0)
        host.replace(0, 4, "imap");
    return "imaps://" + host;
}
