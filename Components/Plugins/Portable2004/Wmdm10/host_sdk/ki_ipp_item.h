// The host's item record interface: 26 slots in a fixed order. A plain
// interface with no reference counting and no destructor slot; the module that
// creates an item deletes it.
#pragma once

#include <windows.h>
#include <oleauto.h>

struct kiIPPItem {
  virtual LONG GetKind() = 0;                                                // 0
  virtual void SetKind(LONG kind) = 0;                                       // 1
  virtual LONG GetBitrate() = 0;                                             // 2
  virtual void SetBitrate(LONG bitrate) = 0;                                 // 3
  virtual LONG GetDuration() = 0;                                            // 4
  virtual void SetDuration(LONG duration) = 0;                               // 5
  virtual ULONGLONG GetSize() = 0;                                           // 6
  virtual void SetSize(ULONGLONG size) = 0;                                  // 7
  virtual BSTR GetAlbum() = 0;                                               // 8
  virtual bool SetAlbum(const WCHAR* album) = 0;                             // 9
  virtual BSTR GetArtist() = 0;                                              // 10
  virtual bool SetArtist(const WCHAR* artist) = 0;                           // 11
  virtual BSTR GetTitle() = 0;                                               // 12
  virtual bool SetTitle(const WCHAR* title) = 0;                             // 13
  virtual BSTR GetGenre() = 0;                                               // 14
  virtual bool SetGenre(const WCHAR* genre) = 0;                             // 15
  virtual BSTR GetLocation() = 0;                                            // 16
  virtual bool SetLocation(const WCHAR* location) = 0;                       // 17
  virtual bool GetPropertyBool(const WCHAR* name, bool* value) = 0;          // 18
  virtual bool GetPropertyLong(const WCHAR* name, LONG* value) = 0;          // 19
  virtual bool GetPropertyString(const WCHAR* name, BSTR* value) = 0;        // 20
  virtual bool SetPropertyBool(const WCHAR* name, LONG value) = 0;           // 21
  virtual bool SetPropertyLong(const WCHAR* name, LONG value) = 0;           // 22
  virtual bool SetPropertyString(const WCHAR* name, const WCHAR* text) = 0;  // 23
  virtual void Clear() = 0;                                                  // 24
  virtual void CopyTo(kiIPPItem* target) = 0;                                // 25
};
