// A module of its own that makes and deletes item records, standing in for
// the host's module in the tests of CopyTo across a module boundary. Built
// like the plug-in (hidden symbols on Linux, static runtime on Windows) from
// the same item record source.
#include "host_sdk/kc_ipp_item.h"

#include <new>

#ifdef _WIN32
#define ITEM_MODULE_EXPORT extern "C" __declspec(dllexport)
#else
#define ITEM_MODULE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

ITEM_MODULE_EXPORT kiIPPItem* MakeItemRecord() { return new (std::nothrow) kcIPPItem(); }

ITEM_MODULE_EXPORT void DeleteItemRecord(kiIPPItem* item) { delete static_cast<kcIPPItem*>(item); }

// The module's own view of a record: answers whether this module's run-time
// type check takes `item` for one of its own class.
ITEM_MODULE_EXPORT bool IsItemRecord(kiIPPItem* item) { return dynamic_cast<kcIPPItem*>(item) != nullptr; }
