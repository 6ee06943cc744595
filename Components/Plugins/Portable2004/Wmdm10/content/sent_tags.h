// The tags a send hands the player with the file, and what is done when the
// player refuses some of them: a tag with no value is not sent, and a tag
// the player refuses is left out while the others still go.
#pragma once

#include <windows.h>

#include <vector>

#include <wide_text.h>

#include <com_ptr.h>
#include <mswmdm.h>

#include "host_sdk/ki_ipp_item.h"

struct SentTag {
  const WCHAR* name;
  WMDM_TAG_DATATYPE type;
  std::vector<BYTE> bytes;  // a text with its terminator
};

// The format code the player files the track under, told by the source path
// alone; the search is case-sensitive and ".mp3" wins wherever it appears.
DWORD FormatCodeOf(const WString& sourcePath);

// The item's tags in the order players expect them, each only when the item
// has a value for it (a text that is not empty, a number that is not 0), and
// the format code last, always.
std::vector<SentTag> TagsOfItem(kiIPPItem& item, const WString& sourcePath);

// The answers by which a player refuses a tag rather than the file: a tag it
// does not keep, a value it does not take, a type other than the platform's.
bool IsTagRefusal(HRESULT hr);

// Inserts the file through Insert3 with `tags`. When the player refuses a
// tag, each tag but the format code is asked about alone (WMDM_MODE_QUERY),
// and the file is sent once more without those refused; a player that does
// not say which gets the format code alone. `leftOut` names what was left
// out. No metadata object can be had: the file goes without tags.
HRESULT InsertWithTags(IWMDMStorage* folder, IWMDMStorageControl3* control, UINT mode, const WString& source,
                       const WString& name, const std::vector<SentTag>& tags, ComPtr<IWMDMStorage>* created,
                       std::vector<WString>* leftOut);
