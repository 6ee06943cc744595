// Names made safe to embed in location strings: letters and digits stay, every
// other unit becomes "|" and four lowercase hex digits; the result is
// lower-cased (A-Z only).
#pragma once

#include <wide_text.h>

WString EscapeName(const WString& text);

// The reverse: "|" and four hex digits (0-9, a-f) become that unit, anything
// else is copied, and the result is lower-cased (A-Z only) as well, so a
// medium name comes back in lower case and is matched ignoring case.
WString UnescapeName(const WString& text);
