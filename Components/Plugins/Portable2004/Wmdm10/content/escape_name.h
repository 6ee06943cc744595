// Names made safe to embed in location strings: letters and digits stay, every
// other unit becomes "|" and four lowercase hex digits; the result is
// lower-cased (A-Z only).
#pragma once

#include <wide_text.h>

WString EscapeName(const WString& text);
