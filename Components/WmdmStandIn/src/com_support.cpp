#include "com_support.h"

#include <atomic>
#include <cstring>

#include <mswmdm.h>

namespace wmdm_standin {
namespace {
std::atomic<long> liveObjects{0};
}

long LiveComObjects() { return liveObjects.load(); }

LiveObjectCount::LiveObjectCount() { ++liveObjects; }
LiveObjectCount::~LiveObjectCount() { --liveObjects; }

HRESULT CopyNameOut(const WString& name, LPWSTR buffer, UINT maxChars) {
  if (!buffer) return E_INVALIDARG;
  if (name.size() + 1 > maxChars) return WMDM_E_BUFFERTOOSMALL;
  std::memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
  return S_OK;
}

WCHAR* TaskMemString(const WString& text) {
  auto* copy = static_cast<WCHAR*>(CoTaskMemAlloc((text.size() + 1) * sizeof(WCHAR)));
  if (copy) std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
  return copy;
}

HRESULT NotImplemented(const char* interfaceAndMethod) {
  const WString line = W("WMDM stand-in: ") + wide::FromUtf8(interfaceAndMethod) + W(" is not implemented\n");
  OutputDebugStringW(line.c_str());
  return E_NOTIMPL;
}

}  // namespace wmdm_standin
