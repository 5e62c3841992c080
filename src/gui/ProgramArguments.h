#pragma once

#include <iosfwd>
#include <optional>

// The window program's command line is one document to open. Options are
// answered here: --help and --version print and give 0, any other option
// gives 2 with a message. nullopt means: start the window.
std::optional<int> AnswerProgramOptions(int argc, char** argv, std::ostream& out, std::ostream& err);
