#pragma once

#include <iosfwd>

#include "cli/CliCommands.h"

// dont-send list|add|remove for the sender of the document (null when
// --from names the sender).
int DontSend(const CliRequest& request, const Document* document, std::ostream& out, std::ostream& err);

// replies: the findings of the sender's mailbox about the document's
// receivers, one line each on standard output; --apply records them.
int Replies(const CliRequest& request, const Document& document, std::ostream& out, std::ostream& err);
