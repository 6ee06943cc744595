// Loads registry export files ("Windows Registry Editor Version 5.00") into
// whatever registry the process has, through the registry API: on Linux the
// layer's, on Windows the real one (usually redirected into a RegistrySandbox).
// Files are UTF-16LE with a byte-order mark, as regedit writes them, or UTF-8
// (plain ASCII included); a file that is neither is refused whole (see
// DecodeTextFile). Keys: [ROOT\path] and [-ROOT\path] to delete a tree, each
// name at most 255 characters and at most 512 levels deep. Values: @ or
// "name", then "text", dword:, hex:, hex(N): with "\" line continuations, or -
// to delete. Names cannot hold NUL characters.
#pragma once

#include <windows.h>

#include <string>

#include <wide_text.h>

class RegFileLoader {
 public:
  // Keys are created with `createOptions` (REG_OPTION_VOLATILE below a
  // volatile sandbox).
  explicit RegFileLoader(DWORD createOptions = REG_OPTION_NON_VOLATILE) : createOptions_(createOptions) {}

  // False when the file cannot be read or is malformed; Error() says why and
  // where ("file:line: reason"). Everything before the bad line is loaded.
  bool LoadFile(const std::string& path);
  bool LoadText(const WString& text, const std::string& source);

  const std::string& Error() const { return error_; }
  // The line the error is on; 0 when it is not about a line.
  int ErrorLine() const { return errorLine_; }

 private:
  DWORD createOptions_;
  std::string error_;
  int errorLine_ = 0;
};
