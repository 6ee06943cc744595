// Marks a heap object that is kept alive on purpose until the process ends,
// so that LeakSanitizer does not report it (nor what it holds) while every
// other leak, from the same module or not, stays reported. Nothing without it.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define MD_ANNOTATE_KEPT_ALIVE(object) __lsan_ignore_object(object)
#else
#define MD_ANNOTATE_KEPT_ALIVE(object) static_cast<void>(object)
#endif
