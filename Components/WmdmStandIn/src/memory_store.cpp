#include <result_macros.h>

#include "content_source.h"
#include "content_store.h"
#include "player_model.h"

namespace wmdm_standin {
namespace {

class MemoryStore final : public ContentStore {
 public:
  ULONGLONG TotalSize(const ModelMedium& medium) const override { return medium.description.totalSize; }

  ULONGLONG FreeSpace(const ModelMedium& medium) const override {
    const ULONGLONG used = medium.UsedSpace();
    return used >= medium.description.totalSize ? 0 : medium.description.totalSize - used;
  }

  HRESULT CheckName(const WString&) const override { return S_OK; }

  HRESULT Create(const ModelObject&, const NewObject& request, const ModelObject*, ModelObject* object) override {
    if (request.folder) return S_OK;
    if (request.bytes.empty() && !request.sourcePath.empty()) {
      RETURN_IF_FAILED(ReadSourceFile(request.sourcePath, &object->bytes));
      object->size = object->bytes.size();
    } else {
      object->bytes = request.bytes;
    }
    return S_OK;
  }

  HRESULT Remove(const ModelObject&) override { return S_OK; }
  HRESULT Rename(const ModelObject&, const WString&) override { return S_OK; }
  HRESULT Erase(const ModelMedium&) override { return S_OK; }
  HRESULT SaveReferences(const ModelObject&, const std::vector<const ModelObject*>&) override { return S_OK; }
  HRESULT SaveTags(const ModelObject&, const std::vector<ModelTag>&) override { return S_OK; }
  void LoadDetails(ModelObject&) override {}
  void LoadFormat(ModelObject&) override {}
};

}  // namespace

std::shared_ptr<ContentStore> MakeMemoryStore() { return std::make_shared<MemoryStore>(); }

}  // namespace wmdm_standin
