#pragma once

#include <iosfwd>

#include "cli/CliCommands.h"

// send, once the form has passed its check: the receivers and the message
// on standard output for --dry-run, otherwise one line per receiver on
// standard error and a summary.
int SendRelease(const CliRequest& request, const Document& document, std::ostream& out, std::ostream& err);

// send --check-server: connects, starts TLS and logs in, sends nothing.
int CheckServer(const CliRequest& request, std::ostream& err);

// The first line of --password-file, or VANTREL_SMTP_PASSWORD; never an
// argument, which every user of the machine can read.
Result<std::string> ReadPassword(const CliRequest& request);
