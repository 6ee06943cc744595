// The host's list of playlist entry identifiers handed to UpdatePlaylist.
// Only slots 3 and 5 are called; the others belong to the host.
#pragma once

#include <windows.h>

struct kiItemIdList {
  virtual void Reserved0() = 0;
  virtual void Reserved1() = 0;
  virtual void Reserved2() = 0;
  virtual ULONG GetCount() = 0;                  // 3
  virtual void Reserved4() = 0;
  virtual const WCHAR* GetItem(ULONG index) = 0;  // 5
};
