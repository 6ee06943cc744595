// Early returns on failure; the RAII holders make them safe.
#pragma once

#include <windows.h>

#define RETURN_IF_FAILED(expr)             \
  do {                                     \
    const HRESULT hr_checked_ = (expr);    \
    if (FAILED(hr_checked_)) return hr_checked_; \
  } while (0)

#define RETURN_HR_IF(hr, condition) \
  do {                              \
    if (condition) return (hr);     \
  } while (0)

#define RETURN_HR_IF_NULL(hr, pointer) RETURN_HR_IF((hr), (pointer) == nullptr)
