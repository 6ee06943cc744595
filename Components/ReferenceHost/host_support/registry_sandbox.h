// Redirects a predefined root (HKEY_LOCAL_MACHINE unless told otherwise) onto a
// fresh key of its own below HKEY_CURRENT_USER\Software\MDPluginSandbox for as
// long as it lives, then puts the root back and deletes the key with all below
// it. Tests and mdhost load .reg files into it, so that on Windows the live
// machine's registry is never touched. The redirection is process-wide.
#pragma once

#include <windows.h>

#include <wide_text.h>

class RegistrySandbox {
 public:
  // A volatile sandbox vanishes by itself if the process dies; a lasting one
  // takes keys created without REG_OPTION_VOLATILE (COM registration does).
  explicit RegistrySandbox(HKEY root = HKEY_LOCAL_MACHINE, bool lasting = false);
  ~RegistrySandbox();
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  // ERROR_SUCCESS once the root is redirected.
  LSTATUS Status() const { return status_; }
  // The options keys created inside must be given.
  DWORD CreateOptions() const { return lasting_ ? REG_OPTION_NON_VOLATILE : REG_OPTION_VOLATILE; }
  // Empties the sandbox (every key below it and every value in it) and keeps
  // the root redirected: cheaper than a new sandbox for a caller that loads
  // one file after another into the same roots.
  LSTATUS Clear();

 private:
  HKEY root_;
  bool lasting_;
  WString path_;
  HKEY key_ = nullptr;
  LSTATUS status_ = ERROR_SUCCESS;
};
