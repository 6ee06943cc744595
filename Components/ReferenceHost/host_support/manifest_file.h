// Reads a manifest kept in a file (what a person edits before shipping it) as
// the text the settings store serves.
#pragma once

#include <string>

#include <wide_text.h>

// UTF-8 (with or without a byte-order mark) or UTF-16 with its byte-order mark.
// False with a one-line reason when the file cannot be read.
bool ReadManifestFile(const std::string& path, WString* text, std::string* error);

// The text of a file's bytes, by the rules above.
WString DecodeManifestBytes(const std::string& bytes);
