#include "personality.h"

#include <algorithm>

#include <result_macros.h>

#include "model_json.h"
#include "player_model.h"

namespace wmdm_standin {
namespace {

DWORD FormatCodeOf(const std::vector<ModelTag>& tags) {
  DWORD code = 0;
  for (const ModelTag& tag : tags)
    if (tag.name == g_wszWMDMFormatCode) tag.AsDword(&code);
  return code;
}

// The tags whose type the platform fixes as text; a name the stand-in does
// not know may carry any type.
bool IsTextTag(const WString& name) {
  static const WCHAR* const kText[] = {g_wszWMDMTitle,       g_wszWMDMAuthor, g_wszWMDMAlbumTitle,
                                       g_wszWMDMAlbumArtist, g_wszWMDMGenre,  g_wszWMDMYear,
                                       g_wszWMDMComposer};
  return std::any_of(std::begin(kText), std::end(kText), [&name](const WCHAR* text) { return name == text; });
}

}  // namespace

HRESULT StaleAnswer(const StorageHandle& handle) {
  if (!handle.device || !IsMtp(*handle.device) || !handle.device->present) return WMDM_E_INTERFACEDEAD;
  if (!handle.medium || !handle.medium->present) return kMtpStoreNotAvailable;
  return kMtpInvalidObjectHandle;
}

HRESULT StaleAnswer(const ModelObject& object) {
  const ModelMedium* medium = object.medium;
  const ModelDevice* device = medium ? medium->device : nullptr;
  if (!device || !IsMtp(*device) || !device->present) return WMDM_E_INTERFACEDEAD;
  return medium->present ? kMtpInvalidObjectHandle : kMtpStoreNotAvailable;
}

HRESULT StaleReferenceAnswer(const ModelDevice& device) {
  return IsMtp(device) ? kMtpStaleObjectReference : WMDM_E_INTERFACEDEAD;
}

bool IsAbstractFormat(DWORD formatCode) {
  return (formatCode >= WMDM_FORMATCODE_ABSTRACTMULTIMEDIAALBUM && formatCode <= WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST);
}

HRESULT CheckTagTypes(const ModelDevice& device, const std::vector<ModelTag>& tags) {
  if (!IsMtp(device)) return S_OK;
  for (const ModelTag& tag : tags) {
    const WMDM_TAG_DATATYPE fixed = TagTypeOf(tag.name);
    if (fixed == WMDM_TYPE_STRING ? IsTextTag(tag.name) && tag.type != WMDM_TYPE_STRING : tag.type != fixed)
      return WMDM_E_INVALIDTYPE;
  }
  return S_OK;
}

HRESULT CheckNewObjectTags(const ModelDevice& device, const std::vector<ModelTag>& tags) {
  if (!IsMtp(device)) return S_OK;
  RETURN_IF_FAILED(CheckTagTypes(device, tags));
  const auto& listed = device.description.formatsSupported;
  const DWORD code = FormatCodeOf(tags);
  if (code == 0 || !listed || listed->empty()) return S_OK;
  return std::find(listed->begin(), listed->end(), code) == listed->end() ? kMtpInvalidObjectFormatCode : S_OK;
}

}  // namespace wmdm_standin
