// What a 32-bit module depends on that a 64-bit build cannot show: every WMDM
// method is __stdcall (the callee pops its arguments; a method declared
// without it would corrupt the stack only on x86), and the structures that
// hold pointers have their 4-byte-pointer sizes (asserted in wmdm_types.h for
// both widths, so every x86 unit that includes mswmdm.h checks them).
// Compiled, never run: the i686 lane builds it without a 32-bit Wine.
#include <mswmdm.h>

#include <cstddef>
#include <type_traits>

#include "wmdm_checked_methods.h"

namespace {

#if defined(__i386__)

static_assert(sizeof(void*) == 4, "the i686 lane builds with 4-byte pointers");
static_assert(!kWmdmPointers64, "the WMDM structures take their 32-bit layouts");
// Vtable slots are pointer-sized: slot n sits at byte 4n.
static_assert(sizeof(void (*)()) == 4, "a vtable entry is 4 bytes");

template <typename Method>
struct IsStdcall : std::false_type {};
template <typename R, typename C, typename... A>
struct IsStdcall<R (__stdcall C::*)(A...)> : std::true_type {};

#define CHECK_STDCALL(Interface, Method, slot) \
  static_assert(IsStdcall<decltype(&Interface::Method)>::value, #Interface "::" #Method " is __stdcall");
WMDM_CHECKED_METHODS(CHECK_STDCALL)
#undef CHECK_STDCALL

// The structures a 32-bit caller and the platform exchange, at their x86 sizes.
static_assert(sizeof(OPAQUECOMMAND) == 44 && offsetof(OPAQUECOMMAND, pData) == 20, "OPAQUECOMMAND on x86");
static_assert(sizeof(WMDMMetadataView) == 12, "WMDMMetadataView on x86");
static_assert(sizeof(WMFILECAPABILITIES) == 8, "WMFILECAPABILITIES on x86");
static_assert(sizeof(WMDM_PROP_DESC) == 56 && sizeof(WMDM_PROP_CONFIG) == 12, "property descriptions on x86");
static_assert(sizeof(WMDM_FORMAT_CAPABILITY) == 8, "WMDM_FORMAT_CAPABILITY on x86");
static_assert(sizeof(PROPVARIANT) == 16, "PROPVARIANT on x86");
static_assert(sizeof(_WAVEFORMATEX) == 20 && sizeof(WMDMID) == 140, "pointer-free structures keep their size");

#endif

}  // namespace
