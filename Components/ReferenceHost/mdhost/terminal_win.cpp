#include <io.h>

#include "mdhost/transfer_progress.h"

bool ErrorStreamIsTerminal() { return _isatty(2) != 0; }
