// The two kinds of provider that sit behind the platform, and where their
// answers differ. A mass-storage player is a file system: playlists are
// files with a size, a stale object answers WMDM_E_INTERFACEDEAD, a rename
// changes the path and so ends the old interfaces. An MTP player keeps
// objects by handle: playlists and albums are abstract objects of size 0
// holding references, stale objects and stores answer the MTP response codes
// WMDM passes through, a rename keeps the handle, and object formats and
// metadata types are checked by the device.
#pragma once

#include <windows.h>

#include <vector>

#include <mswmdm.h>

#include "model_types.h"

namespace wmdm_standin {

// MTP response codes as WMDM hands them on (0x8004 and the response code).
inline constexpr HRESULT kMtpInvalidObjectHandle = MTP_E_INVALID_OBJECT_HANDLE;
inline constexpr HRESULT kMtpInvalidObjectFormatCode = MTP_E_INVALID_OBJECT_FORMAT_CODE;
inline constexpr HRESULT kMtpStoreNotAvailable = MTP_E_STORE_NOT_AVAILABLE;
inline constexpr HRESULT kMtpStaleObjectReference = MTP_E_STALE_OBJECT_REFERENCE;
inline constexpr HRESULT kMtpPropertyNotSupported = MTP_E_PROPERTY_NOT_SUPPORTED;
inline constexpr HRESULT kMtpPropertyValueNotSupported = MTP_E_PROPERTY_VALUE_NOT_SUPPORTED;

struct StorageHandle;

// What a call on a handle that is no longer alive answers.
HRESULT StaleAnswer(const StorageHandle& handle);
HRESULT StaleAnswer(const ModelObject& object);
// What a reference to an object that is no longer alive answers in SetReferences.
HRESULT StaleReferenceAnswer(const ModelDevice& device);

// The abstract objects an MTP player makes from metadata alone.
bool IsAbstractFormat(DWORD formatCode);
// S_OK when the device takes a new object of these tags: on an MTP player its
// format code must be one the device lists (when it lists any), and every
// tag whose type the platform fixes must come with that type.
HRESULT CheckNewObjectTags(const ModelDevice& device, const std::vector<ModelTag>& tags);
// S_OK when an MTP player takes every tag: each comes with the type the
// platform fixes for it, is one the player keeps, and holds a value it takes.
HRESULT CheckTagTypes(const ModelDevice& device, const std::vector<ModelTag>& tags);

inline bool IsMtp(const ModelDevice& device) { return device.description.personality == Personality::Mtp; }

}  // namespace wmdm_standin
