#include "cli/StandardInput.h"

#include <cstdio>

#include <fcntl.h>
#include <io.h>

// The C runtime opens standard input in text mode, which drops the CR of
// each CR LF and ends at a Ctrl-Z: a document's fields would change length
// and the document would read as damaged.
int StandardInputBytes()
{
    _setmode(_fileno(stdin), _O_BINARY);
    return _fileno(stdin);
}
