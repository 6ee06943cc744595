// Reads a manifest kept in a file (what a person edits before shipping it) as
// the text the settings store serves.
#pragma once

#include <string>

#include <wide_text.h>

// UTF-8 (with or without a byte-order mark) or UTF-16 with its byte-order
// mark, as DecodeTextFile reads it. The store serves element content, to
// which the plug-in adds its own XML declaration, so one at the start of the
// file is left out. False with a one-line reason when the file cannot be read
// or is not text.
bool ReadManifestFile(const std::string& path, WString* text, std::string* error);

// The text with an XML declaration at its start (after white space) left out.
WString WithoutXmlDeclaration(const WString& text);

// Whether the plug-in's DOM parses the text as it parses the store's entry;
// COM must be initialised on this thread. False with a one-line reason naming
// the file.
bool CheckManifestParses(const WString& text, const std::string& path, std::string* error);
