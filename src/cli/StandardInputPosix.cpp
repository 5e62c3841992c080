#include "cli/StandardInput.h"

#include <unistd.h>

#include "core/files/SafeFileWriter.h"

Result<std::string> ReadStandardInput(std::size_t maxBytes) { return ReadAll(STDIN_FILENO, maxBytes); }
