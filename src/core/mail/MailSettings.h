#pragma once

#include <string>

#include "core/Result.h"

// The mail server as the settings file keeps it: never the password.
inline constexpr const char* kMailServerSetting = "MailServer";
inline constexpr const char* kMailUserSetting = "MailUser";
inline constexpr const char* kMailSenderSetting = "MailSender";
inline constexpr const char* kMailPaceSetting = "MailPerMinute";
inline constexpr const char* kMailTimeLimitSetting = "MailTimeLimit";
// "1" when the password is kept in the keyring; the password itself never is here.
inline constexpr const char* kMailRememberPasswordSetting = "MailRememberPassword";
// Where the sender's mailbox is read for replies: imaps://host or imap://host.
inline constexpr const char* kMailImapServerSetting = "MailImapServer";
// An https address where a receiver can opt out with one click; may be empty.
inline constexpr const char* kMailUnsubscribeUrlSetting = "MailUnsubscribeUrl";
// "0" leaves out the line under the release that says how to opt out.
inline constexpr const char* kMailUnsubscribeFooterSetting = "MailUnsubscribeFooter";

// A pace that common providers accept from a desktop program.
inline constexpr int kDefaultMessagesPerMinute = 20;
// Seconds one message may take, however busily the server talks.
inline constexpr int kDefaultMessageTimeLimit = 300;

struct MailSettings {
    std::string server;
    std::string user;
    std::string sender;  // empty: the form's contact
    int perMinute = kDefaultMessagesPerMinute;
    int timeLimit = kDefaultMessageTimeLimit;  // seconds, 1 to 6000
    bool rememberPassword = false;
    std::string imapServer;  // for reading replies; the same user logs in
    std::string unsubscribeUrl;  // https only
    bool unsubscribeFooter = true;
};

// What the settings file holds; missing values keep their defaults, and a
// pace that is no number from 0 to 6000 (a time limit from 1 to 6000)
// reads as the default.
MailSettings ReadMailSettings();
Result<> WriteMailSettings(const MailSettings& settings);

// The pace as typed: a whole number from 0 to 6000, or nothing.
bool ParsePerMinute(const std::string& text, int& perMinute);

// Why the user name cannot go with the server, or empty: a server's URL
// typed as the user, or a user without a server.
std::string MailUserProblem(const std::string& server, const std::string& user);

// Where replies are read: the replies server when one is set, else a
// guess from the sending server (smtp.x.org gives imaps://imap.x.org).
std::string ImapServerOf(const MailSettings& settings);

// Why the unsubscribe address cannot be used, or empty: it must be an
// https address without blanks, angle brackets or commas (it goes into a header).
std::string UnsubscribeUrlProblem(const std::string& url);
