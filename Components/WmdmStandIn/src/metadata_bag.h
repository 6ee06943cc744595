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
  // `deferred`: `tags` are only those known without reading the source's
  // content (its format code); the rest are read from the model when the
  // bag is first asked for anything else. A listing asks every file for its
  // format code, and reading every file's tags for it would cost the most.
  MetaDataBag(std::shared_ptr<PlayerModel> model, std::vector<ModelTag> tags, ObjectId source,
              bool deferred = false);

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
  // Reads the whole set in, once, if it was deferred (the model's lock is
  // never taken under the bag's).
  void Complete() const;

  std::shared_ptr<PlayerModel> model_;
  mutable std::mutex mutex_;
  mutable std::vector<ModelTag> tags_;
  ObjectId source_;
  mutable bool deferred_;
};

// The tags of any IWMDMMetaData, read without counting as the caller's calls
// when it is one of the stand-in's own bags.
HRESULT ReadAllTags(IWMDMMetaData* metadata, std::vector<ModelTag>* tags);

}  // namespace wmdm_standin
