// What a 32-bit host relies on at the boundary, checked by compiling (static
// assertions; nothing on 64-bit builds, where there is one calling
// convention). The host looks the three exports up by their plain names and
// calls them with the C convention: a __stdcall export would pop arguments
// the host pops again, and its name would come out decorated ("_Name@8").
#include <type_traits>

#include "exports.h"

namespace {

#if defined(__i386__)

static_assert(sizeof(void*) == 4 && sizeof(IPPFINDHANDLE) == 4, "a find handle is pointer-sized on x86");

template <typename Function>
struct IsCdecl : std::false_type {};
template <typename R, typename... A>
struct IsCdecl<R (__cdecl*)(A...)> : std::true_type {};

static_assert(std::is_same_v<decltype(&GetIPPSDKVersion), GetIPPSDKVersionFn> && IsCdecl<GetIPPSDKVersionFn>::value,
              "GetIPPSDKVersion keeps the C convention");
static_assert(std::is_same_v<decltype(&GetIMDP2004), GetIMDP2004Fn> && IsCdecl<GetIMDP2004Fn>::value,
              "GetIMDP2004 keeps the C convention");
static_assert(std::is_same_v<decltype(&ReleaseIMDP2004), ReleaseIMDP2004Fn> && IsCdecl<ReleaseIMDP2004Fn>::value,
              "ReleaseIMDP2004 keeps the C convention");

// The host's interfaces are plain virtual functions: the compiler's member
// convention on x86 (this in ECX), which a host built from the same
// declarations uses too. A slot given __stdcall here would no longer match.
template <typename Method>
struct IsDefaultMember : std::false_type {};
template <typename R, typename C, typename... A>
struct IsDefaultMember<R (C::*)(A...)> : std::true_type {};
static_assert(IsDefaultMember<decltype(&kiMusicDevicePlugin2004::Initialize)>::value &&
                  IsDefaultMember<decltype(&kiIPPItem::CopyTo)>::value &&
                  IsDefaultMember<decltype(&kiPluginHostCallback::LogLine)>::value,
              "the host's interfaces keep the default member convention");

#endif

}  // namespace
