// One stored object (a medium's root, a folder, a file or a playlist) as the
// platform hands it out: IWMDMStorage to IWMDMStorage4 and IWMDMStorageControl
// to IWMDMStorageControl3 on one object. Once its object is deleted or renamed,
// or its medium or device goes away, every call but IUnknown's answers
// WMDM_E_INTERFACEDEAD.
#pragma once

#include <com_ptr.h>
#include <mswmdm.h>

#include <atomic>
#include <memory>
#include <optional>

#include "com_support.h"
#include "player_model.h"

namespace wmdm_standin {

class Storage final
    : public StandInObject<Storage, Chain<IWMDMStorage4, IWMDMStorage3, IWMDMStorage2, IWMDMStorage>,
                           Chain<IWMDMStorageControl3, IWMDMStorageControl2, IWMDMStorageControl>> {
 public:
  Storage(std::shared_ptr<PlayerModel> model, StorageHandle handle);
  // The stand-in's own storage behind an interface a caller passed in, or null.
  static ComPtr<IWMDMStorage> OwnStorage(IWMDMStorage* storage, const Storage** own);
  // GetStorage's answer for the child of `folder` named `name`: S_FALSE when
  // there is no folder or no such child. Under the model's lock.
  static HRESULT ChildNamed(const std::shared_ptr<PlayerModel>& model, const ModelObject* folder, LPCWSTR name,
                            IWMDMStorage** storage);

  // IID_IStandInStorage: the object itself, through its first interface.
  HRESULT QueryOtherInterface(REFIID riid, void** object);
  // Every interface of both chains, unless a test took IWMDMStorageControl3
  // away with a fault on "QueryInterface(IWMDMStorageControl3)", as an
  // older service provider never offers it.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;

  // IWMDMStorage
  HRESULT STDMETHODCALLTYPE SetAttributes(DWORD attributes, _WAVEFORMATEX* format) override;
  HRESULT STDMETHODCALLTYPE GetStorageGlobals(IWMDMStorageGlobals** globals) override;
  HRESULT STDMETHODCALLTYPE GetAttributes(DWORD* attributes, _WAVEFORMATEX* format) override;
  HRESULT STDMETHODCALLTYPE GetName(LPWSTR name, UINT maxChars) override;
  HRESULT STDMETHODCALLTYPE GetDate(PWMDMDATETIME date) override;
  HRESULT STDMETHODCALLTYPE GetSize(DWORD* sizeLow, DWORD* sizeHigh) override;
  HRESULT STDMETHODCALLTYPE GetRights(PWMDMRIGHTS* rights, UINT* count, BYTE mac[WMDM_MAC_LENGTH]) override;
  HRESULT STDMETHODCALLTYPE EnumStorage(IWMDMEnumStorage** enumerator) override;
  HRESULT STDMETHODCALLTYPE SendOpaqueCommand(OPAQUECOMMAND* command) override;
  // IWMDMStorage2
  HRESULT STDMETHODCALLTYPE GetStorage(LPCWSTR name, IWMDMStorage** storage) override;
  HRESULT STDMETHODCALLTYPE SetAttributes2(DWORD attributes, DWORD attributesEx, _WAVEFORMATEX* format,
                                           _VIDEOINFOHEADER* videoFormat) override;
  HRESULT STDMETHODCALLTYPE GetAttributes2(DWORD* attributes, DWORD* attributesEx, _WAVEFORMATEX* audioFormat,
                                           _VIDEOINFOHEADER* videoFormat) override;
  // IWMDMStorage3
  HRESULT STDMETHODCALLTYPE GetMetadata(IWMDMMetaData** metadata) override;
  HRESULT STDMETHODCALLTYPE SetMetadata(IWMDMMetaData* metadata) override;
  HRESULT STDMETHODCALLTYPE CreateEmptyMetadataObject(IWMDMMetaData** metadata) override;
  HRESULT STDMETHODCALLTYPE SetEnumPreference(WMDM_STORAGE_ENUM_MODE* mode, DWORD viewCount,
                                              WMDMMetadataView* views) override;
  // IWMDMStorage4
  HRESULT STDMETHODCALLTYPE SetReferences(DWORD count, IWMDMStorage** storages) override;
  HRESULT STDMETHODCALLTYPE GetReferences(DWORD* count, IWMDMStorage*** storages) override;
  HRESULT STDMETHODCALLTYPE GetRightsWithProgress(IWMDMProgress3* progress, PWMDMRIGHTS* rights,
                                                  UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetSpecifiedMetadata(DWORD count, LPCWSTR* names, IWMDMMetaData** metadata) override;
  HRESULT STDMETHODCALLTYPE FindStorage(WMDM_FIND_SCOPE scope, LPCWSTR uniqueId, IWMDMStorage** storage) override;
  HRESULT STDMETHODCALLTYPE GetParent(IWMDMStorage** parent) override;

  // IWMDMStorageControl
  HRESULT STDMETHODCALLTYPE Insert(UINT mode, LPWSTR file, IWMDMOperation* operation, IWMDMProgress* progress,
                                   IWMDMStorage** newObject) override;
  HRESULT STDMETHODCALLTYPE Delete(UINT mode, IWMDMProgress* progress) override;
  HRESULT STDMETHODCALLTYPE Rename(UINT mode, LPWSTR newName, IWMDMProgress* progress) override;
  HRESULT STDMETHODCALLTYPE Read(UINT mode, LPWSTR file, IWMDMProgress* progress, IWMDMOperation* operation) override;
  HRESULT STDMETHODCALLTYPE Move(UINT mode, IWMDMStorage* target, IWMDMProgress* progress) override;
  // IWMDMStorageControl2
  HRESULT STDMETHODCALLTYPE Insert2(UINT mode, LPWSTR source, LPWSTR destination, IWMDMOperation* operation,
                                    IWMDMProgress* progress, IUnknown* unknown, IWMDMStorage** newObject) override;
  // IWMDMStorageControl3
  HRESULT STDMETHODCALLTYPE Insert3(UINT mode, UINT type, LPWSTR source, LPWSTR destination,
                                    IWMDMOperation* operation, IWMDMProgress* progress, IWMDMMetaData* metadata,
                                    IUnknown* unknown, IWMDMStorage** newObject) override;

  const StorageHandle& Handle() const { return handle_; }
  // S_OK, or the stale-object answer this object gives for ever after
  // (InjectDeath); KeepDead makes it so from now on.
  HRESULT DeadAnswer() const { return deadAnswer_; }
  void KeepDead(HRESULT answer) const { deadAnswer_ = answer; }
  IUnknown* Unknown() const { return const_cast<IWMDMStorage4*>(static_cast<const IWMDMStorage4*>(this)); }

 private:
  // Counts the call, applies an injected fault, refuses a dead storage.
  std::optional<HRESULT> Enter(const char* method) const;
  HRESULT InsertObject(UINT mode, const WCHAR* source, const WCHAR* destination, IWMDMOperation* operation,
                       IWMDMProgress* progress, IWMDMMetaData* metadata, IWMDMStorage** newObject);

  std::shared_ptr<PlayerModel> model_;
  StorageHandle handle_;
  // S_OK, or the stale-object answer a fault armed by InjectDeath gave: this
  // object gives it for ever after.
  mutable std::atomic<HRESULT> deadAnswer_{S_OK};
};

}  // namespace wmdm_standin

// Opens a Storage method: see Storage::Enter.
#define STORAGE_ENTER(method)                                 \
  do {                                                        \
    if (auto early_ = Enter(method)) return *early_;          \
  } while (0)
