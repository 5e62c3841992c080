#include "cli/StandardInput.h"

#include <cstdio>

#include <fcntl.h>
#include <io.h>

#include "core/files/SafeFileWriter.h"

// The C runtime opens standard input in text mode, which drops the CR of
// each CR LF and ends at a Ctrl-Z: a document's fields would change length
// and the document would read as damaged.
Result<std::string> ReadStandardInput(std::size_t maxBytes)
{
    _setmode(_fileno(stdin), _O_BINARY);
    return ReadAll(_fileno(stdin), maxBytes);
}
