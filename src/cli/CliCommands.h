#pragma once

#include <iosfwd>

#include "cli/CommandLine.h"
#include "core/form/FormValues.h"

// Exit statuses of vantrel-cli.
enum CliStatus : int {
    kCliDone = 0,
    kCliFailed = 1,
    kCliUsage = 2,
    kCliBadDocument = 3,
    kCliNotDelivered = 4,  // send: someone refused or left unsent, or the server failed
};

// A document as the commands need it.
struct LoadedDocument {
    FormValues form;
    int receiverDelimiter = 0;
};

// Runs one command on a loaded document; output goes to out, notes and
// problems to err.
int RunCommand(const CliRequest& request, const LoadedDocument& document, std::ostream& out,
               std::ostream& err);
