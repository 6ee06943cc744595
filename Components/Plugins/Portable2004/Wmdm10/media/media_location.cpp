#include "media/media_location.h"

#include <result_macros.h>
#include <unique_bstr.h>

#include "base/device_text.h"
#include "content/locations.h"
#include "core/device_identity.h"
#include "host_sdk/ipp_result_codes.h"

HRESULT MakeMediaLocation(IWMDMDevice* device, IWMDMStorage* storage, BSTR* location) {
  RETURN_HR_IF(IPP_E_FAIL, !device || !storage || !location);
  WString identity;
  RETURN_IF_FAILED(GetDeviceIdentity(device, &identity));
  WString name;
  RETURN_IF_FAILED(ReadDeviceText([storage](WCHAR* buffer, UINT chars) { return storage->GetName(buffer, chars); },
                                  &name));
  UniqueBstr text(locations::ComposeMediaLocation(identity, name));
  RETURN_HR_IF(E_OUTOFMEMORY, !text);
  *location = text.Release();
  return S_OK;
}
