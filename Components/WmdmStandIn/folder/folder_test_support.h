// What the folder player's tests share: a fresh directory per test, files
// written into it, and a check at the end that no stand-in object is alive.
#pragma once

#include <gtest/gtest.h>

#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "com_support.h"
#include "folder_player.h"
#include "folder_store.h"

namespace wmdm_standin {
namespace testing_support {

class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "folder_player_XXXXXX").string();
    path_ = mkdtemp(&pattern[0]) ? pattern : std::string();
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    // Read-only files and folders made by a test go too.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

  // Writes `bytes` at `relative`, making the folders on the way.
  std::string Write(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path file = std::filesystem::path(path_) / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
  }
  void MakeFolder(const std::string& relative) const {
    std::filesystem::create_directories(std::filesystem::path(path_) / relative);
  }
  bool Exists(const std::string& relative) const {
    return std::filesystem::exists(std::filesystem::path(path_) / relative);
  }
  std::string Read(const std::string& relative) const {
    std::ifstream in(std::filesystem::path(path_) / relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // Every name below the folder, "/"-separated, sorted; dot-files included.
  std::vector<std::string> Everything() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_))
      names.push_back(std::filesystem::relative(entry.path(), path_).generic_string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string path_;
};

// Runs `body` in a child process with a tmpfs of `size` ("64k") mounted on
// `folder`, in mount and user namespaces of its own, so no root is needed
// and nothing outside sees the mount. Answers 0 when `body` held, 1 when it
// did not, 77 when the kernel refuses the namespaces or the mount.
inline int OnSmallTmpfs(const std::string& folder, const std::string& size, const std::function<bool()>& body) {
  const pid_t child = fork();
  if (child < 0) return 1;
  if (child == 0) {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) _exit(77);
    std::ofstream("/proc/self/setgroups") << "deny";
    std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
    std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
    if (mount("none", folder.c_str(), "tmpfs", 0, ("size=" + size).c_str()) != 0) _exit(77);
    const bool held = body();
    umount(folder.c_str());
    _exit(held ? 0 : 1);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 1;
  return WEXITSTATUS(status);
}

// A folder player over a fresh folder, edited through the model as the COM
// objects edit it.
class FolderEdits {
 public:
  explicit FolderEdits(const std::string& folder) : folder_(folder) {}

  bool Open() {
    model_ = PlayerModel::Create();
    device_ = AddFolderPlayer(*model_, folder_);
    return device_ != 0;
  }
  StorageHandle At(const std::string& relative) {
    std::string path = relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    const auto devices = model_->PresentDevices();
    const WString medium = devices.at(0)->media.at(0)->description.name;
    return model_->HandleById(model_->Find(device_, medium + (path.empty() ? WString() : W("\\") + wide::FromUtf8(path))));
  }
  HRESULT Delete(const std::string& relative) {
    const StorageHandle handle = At(relative);
    return handle.object ? model_->DeleteObject(handle, true) : E_INVALIDARG;
  }
  HRESULT Rename(const std::string& relative, const std::string& name) {
    const StorageHandle handle = At(relative);
    return handle.object ? model_->RenameObject(handle, wide::FromUtf8(name)) : E_INVALIDARG;
  }
  HRESULT Send(const std::string& folder, const WString& name, const std::string& bytes, bool overwrite = false) {
    NewObject request;
    request.name = name;
    request.bytes.assign(bytes.begin(), bytes.end());
    request.overwrite = overwrite;
    return model_->CreateObject(At(folder), request, nullptr);
  }
  HRESULT MakeFolder(const std::string& parent, const std::string& name) {
    NewObject request;
    request.folder = true;
    request.name = wide::FromUtf8(name);
    return model_->CreateObject(At(parent), request, nullptr);
  }
  // A new, empty playlist; `made` gets the name the player gave it.
  HRESULT NewPlaylist(const std::string& folder, const std::string& name, WString* made = nullptr) {
    NewObject request;
    request.name = wide::FromUtf8(name);
    request.tags.push_back(ModelTag::Dword(g_wszWMDMFormatCode, WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST));
    StorageHandle created;
    const HRESULT result = model_->CreateObject(At(folder), request, &created);
    if (made && created.object) *made = created.object->name;
    return result;
  }
  std::vector<WString> Children(const std::string& relative) {
    const StorageHandle handle = At(relative);
    return handle.object ? model_->Inspect(handle.object->id)->children : std::vector<WString>{W("<none>")};
  }
  PlayerModel& Model() { return *model_; }

 private:
  std::string folder_;
  std::shared_ptr<PlayerModel> model_;
  ObjectId device_ = 0;
};

// Undoes a write limit whatever way a test ends.
struct WriteLimitGuard {
  ~WriteLimitGuard() { FolderStore::LimitWritesForTesting(-1); }
};

// Makes every call on a folder player's storage look at its folder, and
// puts the usual interval back however a test ends.
struct RecheckEveryCall {
  RecheckEveryCall() { FolderStore::SetRecheckIntervalForTesting(std::chrono::milliseconds(0)); }
  ~RecheckEveryCall() { FolderStore::SetRecheckIntervalForTesting(std::chrono::milliseconds(100)); }
};

}  // namespace testing_support
}  // namespace wmdm_standin
