#include "cli/StandardInput.h"

#include <unistd.h>

int StandardInputBytes() { return STDIN_FILENO; }
