#include "content/playlist_references.h"

#include <objbase.h>

#include <result_macros.h>

#include "base/device_text.h"
#include "content/item_filter.h"
#include "core/storage_block.h"

HRESULT ReadName(IWMDMStorage* storage, WString* name) {
  return ReadDeviceText([storage](WCHAR* buffer, UINT chars) { return storage->GetName(buffer, chars); }, name);
}

WString PathOrNothing(IWMDMStorage* storage) {
  WString path;
  return SUCCEEDED(StoragePath(storage, &path)) ? path : WString();
}

HRESULT ReadReferences(IWMDMStorage* playlist, std::vector<ComPtr<IWMDMStorage>>* references) {
  ComPtr<IWMDMStorage4> playlist4;
  RETURN_IF_FAILED(ComPtr<IWMDMStorage>(playlist).As(&playlist4));
  // The block and every reference still in it are released however this
  // ends, the vector's own allocation failing included.
  StorageBlock block;
  RETURN_IF_FAILED(playlist4->GetReferences(block.PutCount(), block.PutItems()));
  std::vector<ComPtr<IWMDMStorage>> taken(block.Count());
  for (DWORD i = 0; i < taken.size(); ++i) taken[i] = block.Take(i);
  *references = std::move(taken);
  return S_OK;
}

HRESULT WriteReferences(IWMDMStorage* playlist, const std::vector<ComPtr<IWMDMStorage>>& references) {
  ComPtr<IWMDMStorage4> playlist4;
  RETURN_IF_FAILED(ComPtr<IWMDMStorage>(playlist).As(&playlist4));
  std::vector<IWMDMStorage*> raw;
  raw.reserve(references.size());
  for (const auto& reference : references) raw.push_back(reference.Get());
  return playlist4->SetReferences(static_cast<DWORD>(raw.size()), raw.empty() ? nullptr : raw.data());
}
