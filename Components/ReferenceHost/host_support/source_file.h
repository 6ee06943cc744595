// A file on the computer that a host sends through the plug-in: its full path in
// the platform's form (what the plug-in and WMDM read) and, for the tag
// reader, in the form the C runtime opens.
#pragma once

#include <string>

#include <wide_text.h>

struct SourceFile {
  WString path;        // full path as the plug-in receives it
  std::string native;  // the same file for the tag reader
};

// False when `argument` names no regular file.
bool FindSourceFile(const std::string& argument, SourceFile* file);
