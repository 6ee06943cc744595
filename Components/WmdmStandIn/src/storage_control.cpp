// Storage's IWMDMStorageControl half: insert, delete and rename, each
// blocking and reported to the caller's progress object.
#include <algorithm>

#include "content_source.h"
#include "metadata_bag.h"
#include "progress_calls.h"
#include "storage.h"

namespace wmdm_standin {
namespace {

constexpr DWORD kOperationTicks = 100;

int BitsSet(UINT value, UINT mask) {
  int count = 0;
  for (UINT bits = value & mask; bits; bits &= bits - 1) ++count;
  return count;
}

// Exactly one of block or thread; the stand-in always works blocking.
HRESULT CheckBlockingMode(UINT mode) {
  return (mode & (WMDM_MODE_BLOCK | WMDM_MODE_THREAD)) ? S_OK : E_INVALIDARG;
}

// With no placement flag the new object goes into the storage, as the
// platform does for a folder target.
HRESULT PlacementOf(UINT mode, NewObject::Placement* placement) {
  const UINT placements =
      WMDM_STORAGECONTROL_INSERTBEFORE | WMDM_STORAGECONTROL_INSERTAFTER | WMDM_STORAGECONTROL_INSERTINTO;
  if (BitsSet(mode, placements) > 1) return E_INVALIDARG;
  if (mode & WMDM_STORAGECONTROL_INSERTBEFORE)
    *placement = NewObject::Placement::Before;
  else if (mode & WMDM_STORAGECONTROL_INSERTAFTER)
    *placement = NewObject::Placement::After;
  else
    *placement = NewObject::Placement::Into;
  return S_OK;
}

DWORD TicksFor(ULONGLONG bytes) {
  return bytes == 0 ? kOperationTicks : static_cast<DWORD>(std::min<ULONGLONG>(bytes, 0xFFFFFFFFu));
}

}  // namespace

HRESULT STDMETHODCALLTYPE Storage::Insert(UINT mode, LPWSTR file, IWMDMOperation* operation, IWMDMProgress* progress,
                                          IWMDMStorage** newObject) {
  STORAGE_ENTER("Insert");
  return InsertObject(mode, file, nullptr, operation, progress, nullptr, newObject);
}

HRESULT STDMETHODCALLTYPE Storage::Insert2(UINT mode, LPWSTR source, LPWSTR destination, IWMDMOperation* operation,
                                           IWMDMProgress* progress, IUnknown*, IWMDMStorage** newObject) {
  STORAGE_ENTER("Insert2");
  return InsertObject(mode, source, destination, operation, progress, nullptr, newObject);
}

HRESULT STDMETHODCALLTYPE Storage::Insert3(UINT mode, UINT, LPWSTR source, LPWSTR destination,
                                           IWMDMOperation* operation, IWMDMProgress* progress,
                                           IWMDMMetaData* metadata, IUnknown*, IWMDMStorage** newObject) {
  STORAGE_ENTER("Insert3");
  return InsertObject(mode, source, destination, operation, progress, metadata, newObject);
}

HRESULT Storage::InsertObject(UINT mode, const WCHAR* source, const WCHAR* destination, IWMDMOperation* operation,
                              IWMDMProgress* progress, IWMDMMetaData* metadata, IWMDMStorage** newObject) {
  if (newObject) *newObject = nullptr;
  RETURN_IF_FAILED(CheckBlockingMode(mode));
  const UINT contents = WMDM_CONTENT_FILE | WMDM_CONTENT_FOLDER | WMDM_CONTENT_OPERATIONINTERFACE;
  if (BitsSet(mode, contents) != 1) return E_INVALIDARG;
  if (mode & WMDM_CONTENT_OPERATIONINTERFACE) return NotImplemented("IWMDMStorageControl insert through IWMDMOperation");
  if (operation) return E_INVALIDARG;

  NewObject request;
  RETURN_IF_FAILED(PlacementOf(mode, &request.placement));
  request.folder = (mode & WMDM_CONTENT_FOLDER) != 0;
  request.overwrite = (mode & WMDM_FILE_CREATE_OVERWRITE) != 0;
  request.queryOnly = (mode & WMDM_MODE_QUERY) != 0;
  request.extraAttributes = mode & (WMDM_FILE_ATTR_READONLY | WMDM_FILE_ATTR_HIDDEN | WMDM_FILE_ATTR_SYSTEM);
  RETURN_IF_FAILED(ReadAllTags(metadata, &request.tags));
  // Metadata for a new object must say what it is.
  if (metadata && std::none_of(request.tags.begin(), request.tags.end(),
                               [](const ModelTag& tag) { return tag.name == g_wszWMDMFormatCode; }))
    return E_INVALIDARG;

  const WString sourcePath = wide::FromPtr(source);
  if (request.folder) {
    // A folder is made under the name given, last path component only.
    request.name = destination ? WString(destination) : FileNameOf(sourcePath);
  } else if (source) {
    request.name = destination ? WString(destination) : FileNameOf(sourcePath);
    // The store copies the content in; only its size is needed here.
    if (!request.queryOnly) {
      RETURN_IF_FAILED(SourceFileSize(sourcePath, &request.size));
      request.sourcePath = sourcePath;
    }
  } else {
    // Without a source only an abstract object (a playlist, an album) made
    // from its metadata can be inserted.
    if (!destination || !metadata) return E_INVALIDARG;
    request.name = destination;
  }

  ProgressCalls calls(progress);
  RETURN_IF_FAILED(calls.Begin(TicksFor(request.size)));
  StorageHandle created;
  RETURN_IF_FAILED(model_->CreateObject(handle_, request, &created));
  calls.Done(TicksFor(request.size));
  if (newObject && created.object) return MakeComObjectInto<Storage>(newObject, model_, created);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Storage::Delete(UINT mode, IWMDMProgress* progress) {
  STORAGE_ENTER("Delete");
  RETURN_IF_FAILED(CheckBlockingMode(mode));
  ProgressCalls calls(progress);
  RETURN_IF_FAILED(calls.Begin(kOperationTicks));
  RETURN_IF_FAILED(model_->DeleteObject(handle_, (mode & WMDM_MODE_RECURSIVE) != 0));
  calls.Done(kOperationTicks);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Storage::Rename(UINT mode, LPWSTR newName, IWMDMProgress* progress) {
  STORAGE_ENTER("Rename");
  RETURN_IF_FAILED(CheckBlockingMode(mode));
  if (!newName) return E_INVALIDARG;
  ProgressCalls calls(progress);
  RETURN_IF_FAILED(calls.Begin(kOperationTicks));
  RETURN_IF_FAILED(model_->RenameObject(handle_, newName));
  calls.Done(kOperationTicks);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Storage::Read(UINT, LPWSTR, IWMDMProgress*, IWMDMOperation*) {
  STORAGE_ENTER("Read");
  return NotImplemented("IWMDMStorageControl::Read");
}

HRESULT STDMETHODCALLTYPE Storage::Move(UINT, IWMDMStorage*, IWMDMProgress*) {
  STORAGE_ENTER("Move");
  return NotImplemented("IWMDMStorageControl::Move");
}

}  // namespace wmdm_standin
