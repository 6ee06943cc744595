// Reading the settings of one Device element of the manifest, and decoding its
// VidPid key.
#pragma once

#include <windows.h>

#include <msxml_ids.h>
#include <wide_text.h>

// A tri-state flag from the child element `name`: -1 when there is no such
// child or its text cannot be read, else 1 when the text reads as a non-zero
// decimal integer, else 0.
LONG ReadFlag(IXMLDOMElement* element, WString name);

// The text of the child element `name`; empty when there is none or its text
// cannot be read.
WString ReadText(IXMLDOMElement* element, WString name);

// True when `text` read as a decimal integer (leading white space and a sign
// allowed, reading stops at the first non-digit, no digits read as 0) is not 0.
bool ReadsAsNonZero(const WString& text);

// Decodes the key in place, left to right: "%%" becomes "%", "%" and two more
// characters become the UTF-16 unit those two spell in hexadecimal, a "%" with
// fewer than two characters after it is dropped, anything else is copied.
void PercentDecode(WString& text);
