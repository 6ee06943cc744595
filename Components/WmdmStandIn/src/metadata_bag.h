// IWMDMMetaData: a bag of tags, read from a storage (a copy: changing the bag
// changes nothing until it is written back with SetMetadata) or made empty
// for Insert3 and SetMetadata.
#pragma once

#include <com_ptr.h>
#include <mswmdm.h>

#include <memory>
#include <mutex>
#include <vector>

#include "com_support.h"
#include "model_types.h"

namespace wmdm_standin {

class PlayerModel;

class MetaDataBag final : public StandInObject<MetaDataBag, IWMDMMetaData> {
 public:
  // `source` is the storage the tags were read from (0 for an empty bag).
  MetaDataBag(std::shared_ptr<PlayerModel> model, std::vector<ModelTag> tags, ObjectId source);

  // IID_IStandInMetaData: the object itself.
  HRESULT QueryOtherInterface(REFIID riid, void** object);

  HRESULT STDMETHODCALLTYPE AddItem(WMDM_TAG_DATATYPE type, LPCWSTR name, BYTE* value, UINT length) override;
  HRESULT STDMETHODCALLTYPE QueryByName(LPCWSTR name, WMDM_TAG_DATATYPE* type, BYTE** value,
                                        UINT* length) override;
  HRESULT STDMETHODCALLTYPE QueryByIndex(UINT index, WCHAR** name, WMDM_TAG_DATATYPE* type, BYTE** value,
                                         UINT* length) override;
  HRESULT STDMETHODCALLTYPE GetItemCount(UINT* count) override;

  std::vector<ModelTag> Tags() const;

 private:
  std::shared_ptr<PlayerModel> model_;
  mutable std::mutex mutex_;
  std::vector<ModelTag> tags_;
  ObjectId source_;
};

// The tags of any IWMDMMetaData, read without counting as the caller's calls
// when it is one of the stand-in's own bags.
HRESULT ReadAllTags(IWMDMMetaData* metadata, std::vector<ModelTag>* tags);

}  // namespace wmdm_standin
