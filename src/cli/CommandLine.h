#pragma once

#include <optional>
#include <string>
#include <vector>

// What vantrel-cli was asked to do.
struct CliRequest {
    enum class Command { Check, Release, Receivers, Mailto, Help, Version };
    Command command = Command::Help;
    std::string document;  // a path, or "-" for standard input
    bool noNetwork = false;
    bool heading = false;
    std::optional<int> delimiter;  // 0 to 3, as the Settings menu numbers them
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
