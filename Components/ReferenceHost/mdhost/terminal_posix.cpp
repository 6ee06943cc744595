#include <unistd.h>

#include "mdhost/transfer_progress.h"

bool ErrorStreamIsTerminal() { return isatty(STDERR_FILENO) == 1; }
