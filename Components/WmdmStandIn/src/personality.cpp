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

namespace {

// What a mass-storage provider that gives Win32 codes answers for an object
// no longer where it was; a device or medium gone is the platform's to answer.
bool AnswersFileError(const ModelDevice* device, const ModelMedium* medium) {
  return device && !IsMtp(*device) && device->description.staleAsFileErrors && device->present && medium &&
         medium->present;
}

HRESULT FileErrorFor(const ModelObject* object) {
  return HRESULT_FROM_WIN32(object && object->IsFolder() ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND);
}

}  // namespace

HRESULT StaleAnswer(const StorageHandle& handle) {
  if (AnswersFileError(handle.device.get(), handle.medium.get())) return FileErrorFor(handle.object.get());
  if (!handle.device || !IsMtp(*handle.device) || !handle.device->present) return WMDM_E_INTERFACEDEAD;
  if (!handle.medium || !handle.medium->present) return kMtpStoreNotAvailable;
  return kMtpInvalidObjectHandle;
}

HRESULT StaleAnswer(const ModelObject& object) {
  const ModelMedium* medium = object.medium;
  const ModelDevice* device = medium ? medium->device : nullptr;
  if (AnswersFileError(device, medium)) return FileErrorFor(&object);
  if (!device || !IsMtp(*device) || !device->present) return WMDM_E_INTERFACEDEAD;
  return medium->present ? kMtpInvalidObjectHandle : kMtpStoreNotAvailable;
}

HRESULT StaleReferenceAnswer(const ModelDevice& device) {
  if (!IsMtp(device) && device.description.staleAsFileErrors) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  return IsMtp(device) ? kMtpStaleObjectReference : WMDM_E_INTERFACEDEAD;
}

bool IsAbstractFormat(DWORD formatCode) {
  return (formatCode >= WMDM_FORMATCODE_ABSTRACTMULTIMEDIAALBUM && formatCode <= WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST);
}

namespace {

bool KeptByDevice(const ModelDevice& device, const WString& name) {
  const auto& kept = device.description.tagsSupported;
  return !kept || name == g_wszWMDMFormatCode || std::find(kept->begin(), kept->end(), name) != kept->end();
}

// The documented range of a track number: 1 to 99.
bool ValueTaken(const ModelTag& tag) {
  DWORD track = 0;
  if (tag.name != g_wszWMDMTrack || !tag.AsDword(&track)) return true;
  return track >= 1 && track <= 99;
}

}  // namespace

HRESULT CheckTagTypes(const ModelDevice& device, const std::vector<ModelTag>& tags) {
  if (!IsMtp(device)) return S_OK;
  for (const ModelTag& tag : tags) {
    const WMDM_TAG_DATATYPE fixed = TagTypeOf(tag.name);
    if (fixed == WMDM_TYPE_STRING ? IsTextTag(tag.name) && tag.type != WMDM_TYPE_STRING : tag.type != fixed)
      return WMDM_E_INVALIDTYPE;
    if (!KeptByDevice(device, tag.name)) return kMtpPropertyNotSupported;
    if (!ValueTaken(tag)) return kMtpPropertyValueNotSupported;
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
