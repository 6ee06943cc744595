// The last folder the resolver walked, kept for the whole module so that
// looking up its children one after another costs one child lookup each.
#pragma once

#include <windows.h>

#include <wide_text.h>

#include <com_ptr.h>
#include <mswmdm.h>

struct ParentCache {
  ComPtr<IWMDMDevice> device;  // the last device resolved
  LONG deviceNumber = 0;
  ComPtr<IWMDMStorage> parent;  // the last folder walked; may be empty
  WString location;             // the media location and the folder's
  WString parentPath;           // device path the parent belongs to

  // Lets go of everything: the interfaces may belong to a device list that
  // is gone.
  void Drop();
};

// The module's one parent cache. Used only under the plug-in lock.
ParentCache& ModuleParentCache();
