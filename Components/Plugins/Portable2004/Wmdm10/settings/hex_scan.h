// Hexadecimal numbers as the C library's "%x" conversion reads them.
#pragma once

#include <windows.h>

#include <wide_text.h>

// Leading blanks skipped, an optional sign and "0x" prefix accepted, reading
// stops at the first character that is no hex digit; no digits give 0. Values
// beyond 32 bits keep their low 32 bits, and a minus sign negates modulo 2^32.
DWORD ScanHex(const WString& text);
