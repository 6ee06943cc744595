// One Product of the manifest's skip list, with its Vendor's fields repeated.
#pragma once

#include <windows.h>

#include <wide_text.h>

struct kcSkipEntry {
  DWORD vendorId = 0;
  DWORD productId = 0;
  WString productName;
  WString filter;  // compared with the lower-cased manufacturer text
  WString vendorName = W("Unknown");
  WString friendlyName;  // compared with the inventory's friendly name
};
