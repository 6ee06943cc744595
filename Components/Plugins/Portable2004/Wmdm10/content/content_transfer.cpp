// Sending a track from the computer onto a player: into a folder, or into the
// device's root folder and onto the end of a playlist, with the track's tags
// written in the same call. A file of the same name already there is kept, or
// replaced and the new file put back wherever a playlist held the old one.
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include <result_macros.h>
#include <unique_bstr.h>

#include "base/catch_to_result.h"
#include "base/device_text.h"
#include "content/content_editor.h"
#include "content/kc_ipp_item.h"
#include "content/locations.h"
#include "content/replacement_checks.h"
#include "content/sent_tags.h"
#include "content/storage_lookup.h"
#include "core/retry_once.h"
#include "host_sdk/ipp_result_codes.h"
#include "host_sdk/ki_plugin_host_callback.h"

namespace {

constexpr UINT kSendMode = WMDM_MODE_BLOCK | WMDM_CONTENT_FILE | WMDM_STORAGECONTROL_INSERTINTO;

// The name the file gets on the player. Windows takes "/" as a separator as
// well as "\", so both end the folder part.
WString FileNameOf(const WString& sourcePath) {
  const size_t separator = sourcePath.find_last_of(W("\\/"));
  if (separator == WString::npos || separator + 1 == sourcePath.size()) return sourcePath;
  return sourcePath.substr(separator + 1);
}

// The file name's extension with its dot, or nothing; a dot in a folder's
// name is no extension.
WString ExtensionOf(const WString& fileName) {
  const size_t dot = fileName.rfind(W('.'));
  return dot == WString::npos ? WString() : fileName.substr(dot);
}

WString TextOf(BSTR owned) {
  UniqueBstr text;
  text.Reset(owned);  // adopted: the item hands out a copy
  return text.ToString();
}

bool IsExistsAnswer(HRESULT hr) {
  return hr == HRESULT_FROM_WIN32(ERROR_FILE_EXISTS) || hr == HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
}

// One DownloadFile call. A file of the same name is replaced in an order
// that cannot lose it: what can be checked is checked first, its playlist
// entries are taken out, and the new file is sent over it, so that the old
// one goes only when the new one has landed. What it learns about a replaced
// file outlives a retry.
class Transfer {
 public:
  Transfer(ContentEditor& plugin, WString location, WString sourcePath, kiIPPItem& item, DWORD existingFileMode,
           DWORD cookie)
      : plugin_(plugin),
        location_(std::move(location)),
        sourcePath_(std::move(sourcePath)),
        item_(item),
        existingFileMode_(existingFileMode),
        cookie_(cookie) {}

  // One pass from the resolution of the target to the playlist edits.
  HRESULT Attempt(const WString& devicePath);
  // Forgets the nodes the pass resolved, for a fresh resolution.
  void DropNodes();
  // After a failed call: every file that was to be replaced and is still
  // there gets its playlist entries back.
  void PutBackOldEntries();

  DWORD outcome() const { return outcome_; }
  // A file deleted before its replacement landed, or nothing.
  const WString& deletedPath() const { return deletedPath_; }

 private:
  enum class Check { GoOn, Stop };
  // A file the send is to replace, and its playlist entries, taken out.
  struct Replaced {
    WString path;
    WString name;
    std::vector<ContentEditor::PlaylistEntry> entries;
    bool gone = false;
  };
  HRESULT CheckExisting(const WString& name, Check* check);
  HRESULT ReplaceExisting(const WString& path, const WString& name, Check* check);
  HRESULT Send(bool overwrite, ComPtr<IWMDMStorage>* created);
  HRESULT SendWithTags(IWMDMStorageControl3* control, UINT mode, ComPtr<IWMDMStorage>* created);
  HRESULT SendAfterDeleting(ComPtr<IWMDMStorage>* created);
  void FinishReplacements(const WString& sentName);
  void Announce(ComPtr<IWMDMStorage> created, HRESULT sent);
  // The host learns of the new file, and a playlist target gets it.
  void AnnounceNamed(const ComPtr<IWMDMStorage>& created, const WString& name);

  ContentEditor& plugin_;
  const WString location_;
  const WString sourcePath_;
  kiIPPItem& item_;
  const DWORD existingFileMode_;
  const DWORD cookie_;

  // Paths, not nodes: a listing on the way may replace a node it found dead.
  WString targetPath_;
  WString folderPath_;
  ComPtr<IWMDMStorage> folder_;
  ComPtr<IWMDMStorage> playlist_;
  LONG deviceNumber_ = 0;
  WString fileName_;

  DWORD outcome_ = IPP_DOWNLOAD_CREATED;
  std::vector<Replaced> replaced_;
  WString deletedPath_;
};

HRESULT Transfer::Attempt(const WString& devicePath) {
  folder_.Reset();
  playlist_.Reset();
  targetPath_ = devicePath;
  folderPath_ = devicePath;
  NodeRef target = plugin_.Resolver().ResolveStorage(location_, devicePath, RESOLVE_ITEM);
  // A medium's root has no item record of its own, yet is a folder to send into.
  if (!target && locations::PathComponents(devicePath).empty())
    target = plugin_.Resolver().ResolveStorage(location_, devicePath, 0);
  if (!target) return IPP_E_NOTFOUND;

  NodeRef folder = target;
  if (target->item && target->item->GetKind() == KindPlaylist) {
    playlist_ = target->storage;
    folderPath_ = plugin_.Resolver().RootPrefix(location_);
    if (folderPath_.empty()) folderPath_ = W("\\");
    folder = plugin_.Resolver().ResolveStorage(location_, folderPath_, 0);
    if (!folder) return E_FAIL;
  }
  folder_ = folder->storage;
  deviceNumber_ = folder->deviceNumber;
  if (!folder_) return E_FAIL;

  fileName_ = FileNameOf(sourcePath_);
  const WString title = TextOf(item_.GetTitle());
  const DeviceRecord* record = plugin_.FindDeviceRecord(deviceNumber_);
  const bool checkDisplayName = record && record->settings && record->settings->CheckDisplayNameOnDownload == 1;
  Check check = Check::GoOn;
  if (!title.empty() && checkDisplayName) {
    const HRESULT hr = CheckExisting(title + ExtensionOf(fileName_), &check);
    if (check == Check::Stop || FAILED(hr)) return hr;
  }
  {
    const HRESULT hr = CheckExisting(fileName_, &check);
    if (check == Check::Stop || FAILED(hr)) return hr;
  }

  ComPtr<IWMDMStorage> created;
  HRESULT sent = Send(!replaced_.empty(), std::addressof(created));
  // A device that will not send over a file gets the old order: delete, then send.
  if (IsExistsAnswer(sent) && !replaced_.empty()) sent = SendAfterDeleting(std::addressof(created));
  if (FAILED(sent)) return sent;
  if (created) {
    Announce(std::move(created), sent);
  } else {
    FinishReplacements(fileName_);
    PutBackOldEntries();
  }
  return sent;
}

void Transfer::DropNodes() {
  plugin_.Resolver().DropNodeAt(location_, targetPath_);
  if (folderPath_ != targetPath_) plugin_.Resolver().DropNodeAt(location_, folderPath_);
}

HRESULT Transfer::CheckExisting(const WString& name, Check* check) {
  *check = Check::GoOn;
  ComPtr<IWMDMStorage> existing;
  // A failed lookup finds nothing: the send itself then meets what is there.
  if (FindChildStorage(folder_, name, &existing) != S_OK || !existing) return S_OK;
  *check = Check::Stop;
  // The host asked for the track in the playlist, and the player has it.
  if (playlist_) return plugin_.EditPlaylistReferences(location_, targetPath_, playlist_, existing, true, -1, nullptr);
  if (existingFileMode_ == 2) return S_OK;
  if (existingFileMode_ == 3) return IPP_E_ALREADYEXISTS;
  return ReplaceExisting(locations::JoinPath(folderPath_, name), name, check);
}

HRESULT Transfer::ReplaceExisting(const WString& path, const WString& name, Check* check) {
  NodeRef old = plugin_.Resolver().ResolveStorage(location_, path, RESOLVE_ITEM);
  if (!old || !old->item || old->item->GetKind() != KindFile) return IPP_E_ALREADYEXISTS;
  // Nothing is touched before the send is known to have a chance.
  RETURN_IF_FAILED(CheckReplacement(folder_, old->storage.Get(), sourcePath_, fileName_, kSendMode));
  auto same = std::find_if(replaced_.begin(), replaced_.end(), [&](const Replaced& r) { return r.path == path; });
  // A retry finds the same file again; its entries taken out stay recorded.
  if (same == replaced_.end()) same = replaced_.insert(replaced_.end(), Replaced{path, name, {}, false});
  ContentEditor::ReferenceRemoval removal{&plugin_, path, &same->entries};
  RETURN_IF_FAILED(plugin_.WalkMedium(location_, ContentEditor::RemoveReferencesVisit, &removal));
  *check = Check::GoOn;
  return S_OK;
}

bool IsNotSupported(HRESULT hr) { return hr == E_NOTIMPL || hr == WMDM_E_NOTSUPPORTED || hr == E_NOINTERFACE; }

HRESULT Transfer::Send(bool overwrite, ComPtr<IWMDMStorage>* created) {
  const UINT mode = kSendMode | (overwrite ? WMDM_FILE_CREATE_OVERWRITE : 0);
  WString source = sourcePath_;
  WString name = fileName_;
  ComPtr<IWMDMStorageControl3> control3;
  HRESULT hr = folder_.As(&control3);
  if (SUCCEEDED(hr)) hr = SendWithTags(control3.Get(), mode, created);
  // Only a device that lacks the richer call is sent the file by the older
  // one, alone, under the device's own name: any other refusal (no room for
  // the tags, a name it will not take) would lose the tags unseen.
  if (SUCCEEDED(hr) || !IsNotSupported(hr)) return hr;
  created->Reset();
  ComPtr<IWMDMStorageControl> control;
  RETURN_IF_FAILED(folder_.As(&control));
  return control->Insert(mode, &source[0], nullptr, nullptr, &*created);
}

HRESULT Transfer::SendWithTags(IWMDMStorageControl3* control, UINT mode, ComPtr<IWMDMStorage>* created) {
  std::vector<WString> leftOut;
  const HRESULT hr = InsertWithTags(folder_.Get(), control, mode, sourcePath_, fileName_,
                                    TagsOfItem(item_, sourcePath_), created, &leftOut);
  if (SUCCEEDED(hr) && !leftOut.empty()) {
    WString names;
    for (const WString& tag : leftOut) names += (names.empty() ? W("") : W(", ")) + tag;
    plugin_.WriteLog(W("WMDM10::DownloadFile sent ") + sourcePath_ + W(" without the tags the device refused: ") +
                     names);
  }
  return hr;
}

HRESULT Transfer::SendAfterDeleting(ComPtr<IWMDMStorage>* created) {
  for (Replaced& replaced : replaced_) {
    if (replaced.gone || !wide::EqualsFolded(replaced.name, fileName_)) continue;
    NodeRef old = plugin_.Resolver().ResolveStorage(location_, replaced.path, RESOLVE_ITEM);
    RETURN_IF_FAILED(old ? plugin_.DeleteStorage(location_, replaced.path, old, false, false) : IPP_E_NOTFOUND);
    // Its node names a storage that is gone; the new file takes the key.
    plugin_.Resolver().DropNodeAt(location_, replaced.path);
    replaced.gone = true;
    deletedPath_ = replaced.path;
    outcome_ = IPP_DOWNLOAD_REPLACED;
  }
  return Send(false, created);
}

// The send has landed: the file it was sent over is gone, and one of another
// name (the display name's) is deleted now.
void Transfer::FinishReplacements(const WString& sentName) {
  for (Replaced& replaced : replaced_) {
    if (replaced.gone) continue;
    NodeRef old = plugin_.Resolver().ResolveStorage(location_, replaced.path, RESOLVE_ITEM);
    if (wide::EqualsFolded(replaced.name, sentName)) {
      if (old) plugin_.ReportRemoval(location_, replaced.path, old);
      replaced.gone = true;
    } else {
      const HRESULT hr = old ? plugin_.DeleteStorage(location_, replaced.path, old, false, false) : IPP_E_NOTFOUND;
      replaced.gone = SUCCEEDED(hr);
      if (FAILED(hr))
        plugin_.WriteLog(W("WMDM10::DownloadFile sent ") + sourcePath_ + W(" to ") + folderPath_ + W(", but ") +
                         replaced.path + W(", which it was to replace, could not be deleted"));
    }
    if (!replaced.gone) continue;
    // Its node names a storage that is gone; the new file may take the key.
    plugin_.Resolver().DropNodeAt(location_, replaced.path);
    outcome_ = IPP_DOWNLOAD_REPLACED;
  }
}

void Transfer::Announce(ComPtr<IWMDMStorage> created, HRESULT sent) {
  if (kiPluginHostCallback* callback = plugin_.HostCallback())
    (void)CatchToResult([&] { return callback->OperationEnded(cookie_, static_cast<DWORD>(sent)); });
  WString name;
  const bool named =
      SUCCEEDED(ReadDeviceText([&](WCHAR* buffer, UINT chars) { return created->GetName(buffer, chars); }, &name));
  FinishReplacements(named ? name : fileName_);
  if (named) AnnounceNamed(created, name);
  // The new file takes the places of every file it replaced, even when its
  // name cannot be read: those entries are the user's and the old file is
  // gone. One that stays keeps its own.
  for (Replaced& replaced : replaced_) {
    (void)plugin_.PutBackEntries(location_, replaced.entries, replaced.gone ? created : ComPtr<IWMDMStorage>());
    replaced.entries.clear();
  }
}

void Transfer::AnnounceNamed(const ComPtr<IWMDMStorage>& created, const WString& name) {
  const WString path = locations::JoinPath(folderPath_, name);
  // The node under the new path must hold the new storage, not one a
  // deleted file of the same name left behind.
  const DeviceRecord* record = plugin_.FindDeviceRecord(deviceNumber_);
  NodeRef node = plugin_.Resolver().ResolveStorage(location_, path, 0, record, created);
  if (node && node->storage.Get() != created.Get()) {
    plugin_.Resolver().DropNode(node);
    plugin_.Resolver().ResolveStorage(location_, path, 0, record, created);
  }
  plugin_.NotifyChange(location_, path, ContentChange::Added);
  if (playlist_) plugin_.EditPlaylistReferences(location_, targetPath_, playlist_, created, true, -1, nullptr);
}

void Transfer::PutBackOldEntries() {
  for (Replaced& replaced : replaced_) {
    (void)plugin_.PutBackEntries(location_, replaced.entries);
    replaced.entries.clear();
  }
}

// Hands the outcome to the host however the call ends.
class OutcomeWriter {
 public:
  OutcomeWriter(DWORD* out, const DWORD& value) : out_(out), value_(value) {}
  OutcomeWriter(const OutcomeWriter&) = delete;
  OutcomeWriter& operator=(const OutcomeWriter&) = delete;
  ~OutcomeWriter() {
    if (out_) *out_ = value_;
  }

 private:
  DWORD* out_;
  const DWORD& value_;
};

}  // namespace

HRESULT ContentEditor::DownloadFile(const WCHAR* location, const WCHAR* targetPath, const WCHAR* sourcePath,
                                    kiIPPItem* item, DWORD existingFileMode, DWORD cookie, DWORD* outcome) {
  DWORD made = IPP_DOWNLOAD_CREATED;
  const OutcomeWriter writer(outcome, made);
  if (!location || !targetPath || !sourcePath || !item) return IPP_E_FAIL;
  const WString where(location);
  const WString devicePath = resolver_.ToDevicePath(where, targetPath);
  WriteLog(W("WMDM10::DownloadFile called to create a file named ") + devicePath);
  Transfer transfer(*this, where, sourcePath, *item, existingFileMode, cookie);
  const HRESULT hr = RetryOnceIfDead(
      RetriedOperation::DownloadFile,
      [&] {
        const HRESULT attempted = transfer.Attempt(devicePath);
        made = transfer.outcome();
        return attempted;
      },
      [&] { transfer.DropNodes(); });
  if (FAILED(hr)) {
    transfer.PutBackOldEntries();
    if (!transfer.deletedPath().empty())
      WriteLog(W("WMDM10::DownloadFile could not send ") + WString(sourcePath) + W(" to ") + devicePath +
               W(", and the file it was to replace, ") + transfer.deletedPath() + W(", is already deleted"));
  }
  return hr;
}
