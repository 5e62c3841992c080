#pragma once

#include <optional>
#include <string>
#include <vector>

// What vantrel-cli was asked to do.
struct CliRequest {
    enum class Command { Check, Release, Receivers, Mailto, Send, Login, Logout, DontSend, Replies, Help, Version };
    Command command = Command::Help;
    std::string document;  // a path, or "-" for standard input
    bool noNetwork = false;
    bool verbose = false;  // check: why each failed download failed
    bool heading = false;
    std::optional<int> delimiter;  // 0 to 3, as the Settings menu numbers them
    // send: what overrides the settings file, and how to run
    std::optional<std::string> server;
    std::optional<std::string> user;
    std::optional<std::string> passwordFile;
    std::optional<std::string> from;
    std::optional<std::string> caFile;
    std::optional<std::string> testTo;
    std::optional<int> perMinute;
    std::optional<std::string> subject;
    std::optional<std::string> noteFile;
    std::optional<std::string> reportFile;
    std::optional<std::string> changed;  // "rest" or "all"
    bool dryRun = false;
    bool again = false;
    bool againInDoubt = false;
    bool checkServer = false;
    // login: the provider, its endpoints and this program's registration
    std::optional<std::string> provider;  // "microsoft", "google" or "other"
    std::optional<std::string> authorizeUrl;
    std::optional<std::string> tokenUrl;
    std::optional<std::string> scope;
    std::optional<std::string> clientId;
    bool noBrowser = false;
    // dont-send: list, add or remove, and the address added or removed
    std::string action;
    std::string address;
    // replies: where to read besides the mail server, and whether to record
    std::optional<std::string> maildir;
    std::optional<std::string> mbox;
    bool apply = false;
};

// The request, or a one-line message saying what is wrong with the command
// line (usageError set).
struct ParsedCommandLine {
    CliRequest request;
    std::string usageError;
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The text --help prints.
std::string UsageText();
