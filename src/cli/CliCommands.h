#pragma once

#include <iosfwd>
#include <string>

#include "cli/CommandLine.h"
#include "core/documents/DocumentFormat.h"

// Exit statuses of vantrel-cli.
enum CliStatus : int {
    kCliDone = 0,
    kCliFailed = 1,
    kCliUsage = 2,
    kCliBadDocument = 3,
    kCliNotDelivered = 4,  // send: someone refused or left unsent, or the server failed
};

// Runs one command on a loaded document; output goes to out, notes and
// problems to err.
int RunCommand(const CliRequest& request, const Document& document, std::ostream& out, std::ostream& err);
