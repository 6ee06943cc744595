#include "hotplug_watcher.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "mount_table.h"

namespace wmdm_standin {

namespace {

// What makes a subdirectory of a root appear or disappear. A directory
// renamed into or out of the root counts: that is how a file manager
// "moves" a player folder.
constexpr uint32_t kRootEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

std::string Trimmed(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The subdirectories of `root` (full paths, sorted); none when it is gone.
// Dot-directories are the desktop's (.Trash-1000 and the like), not players.
std::vector<std::string> Subdirectories(const std::string& root) {
  std::vector<std::string> found;
  DIR* dir = opendir(root.c_str());
  if (!dir) return found;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    const std::string path = root + "/" + entry->d_name;
    bool isDirectory = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
      struct stat info {};
      isDirectory = stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
    if (isDirectory) found.push_back(path);
  }
  closedir(dir);
  std::sort(found.begin(), found.end());
  return found;
}

bool ReadWhole(int fd, std::string* text) {
  text->clear();
  if (lseek(fd, 0, SEEK_SET) != 0) return false;
  char buffer[16384];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    text->append(buffer, static_cast<size_t>(got));
  }
}

void Signal(int fd) {
  const uint64_t one = 1;
  while (write(fd, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

}  // namespace

HotplugWatcher::HotplugWatcher(std::shared_ptr<PlayerModel> model, Settings settings)
    : model_(std::move(model)), settings_(std::move(settings)) {
  for (std::string& root : settings_.roots) root = Trimmed(root);
}

HotplugWatcher::~HotplugWatcher() { Stop(); }

bool HotplugWatcher::Start(std::string* error) {
  if (thread_.joinable()) return true;
  if (!settings_.makePlayer) {
    *error = "no way to make a player of a folder was given";
    return false;
  }
  inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (inotify_ < 0 || wake_ < 0) {
    *error = std::string("cannot watch for players: ") + std::strerror(errno);
    Stop();
    return false;
  }
  for (size_t i = 0; i < settings_.roots.size(); ++i) {
    const int watch = inotify_add_watch(inotify_, settings_.roots[i].c_str(), kRootEvents);
    if (watch < 0) {
      *error = "cannot watch " + settings_.roots[i] + ": " + std::strerror(errno);
      Stop();
      return false;
    }
    rootOfWatch_[watch] = i;
  }
  if (!settings_.mountPlaces.empty()) {
    mountTable_ = open(settings_.mountTable.c_str(), O_RDONLY | O_CLOEXEC);
    if (mountTable_ < 0) {
      *error = "cannot read " + settings_.mountTable + ": " + std::strerror(errno);
      Stop();
      return false;
    }
  }
  std::vector<size_t> all(settings_.roots.size());
  for (size_t i = 0; i < all.size(); ++i) all[i] = i;
  ReadRoots(all);
  ReadMountTable();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = false;
  }
  thread_ = std::thread([this] { Run(); });
  return true;
}

void HotplugWatcher::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  settled_.notify_all();
  if (thread_.joinable()) {
    Signal(wake_);
    thread_.join();
  }
  for (int* fd : {&inotify_, &mountTable_, &wake_}) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
  }
  rootOfWatch_.clear();
}

std::vector<std::string> HotplugWatcher::Players() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> directories;
  for (const auto& served : players_) directories.push_back(served.first);
  return directories;
}

bool HotplugWatcher::Settle(unsigned milliseconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!thread_.joinable() || stopping_) return false;
  const unsigned long long ticket = ++settleAsked_;
  Signal(wake_);
  return settled_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                           [&] { return settleDone_ >= ticket || stopping_; }) &&
         settleDone_ >= ticket;
}

void HotplugWatcher::Run() {
  for (;;) {
    pollfd fds[3] = {{wake_, POLLIN, 0}, {inotify_, POLLIN, 0}, {mountTable_, POLLPRI, 0}};
    const nfds_t count = mountTable_ >= 0 ? 3 : 2;
    if (poll(fds, count, -1) < 0) {
      if (errno == EINTR) continue;
      return;  // nothing left to wait on; the players stay as they are
    }
    unsigned long long ticket = 0;
    if (fds[0].revents & POLLIN) {
      uint64_t ignored = 0;
      while (read(wake_, &ignored, sizeof ignored) < 0 && errno == EINTR) {
      }
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) return;
      ticket = settleAsked_;
    }
    // The kernel queued the events of every change made before a settle
    // request, so draining the queue now catches up with them. A mount table
    // given as a plain file (as tests give one) never signals a change of its
    // own, so a settle request reads it again.
    std::set<size_t> touched;
    bool overflow = false;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
      const ssize_t got = read(inotify_, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if (event->mask & IN_Q_OVERFLOW) overflow = true;
        const auto root = rootOfWatch_.find(event->wd);
        if (root != rootOfWatch_.end()) touched.insert(root->second);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    std::vector<size_t> roots;
    if (overflow) {
      for (size_t i = 0; i < settings_.roots.size(); ++i) roots.push_back(i);
    } else {
      roots.assign(touched.begin(), touched.end());
    }
    ReadRoots(roots);
    if (count == 3 && ((fds[2].revents & (POLLPRI | POLLERR)) || ticket)) ReadMountTable();
    if (ticket) {
      std::lock_guard<std::mutex> lock(mutex_);
      settleDone_ = std::max(settleDone_, ticket);
      settled_.notify_all();
    }
  }
}

void HotplugWatcher::ReadRoots(const std::vector<size_t>& roots) {
  for (size_t index : roots) Reconcile(settings_.roots[index], Subdirectories(settings_.roots[index]));
}

void HotplugWatcher::ReadMountTable() {
  if (mountTable_ < 0) return;
  std::string text;
  if (!ReadWhole(mountTable_, &text)) return;
  const MountChanges changes = DiffMounts(lastMountTable_, text, settings_.mountPlaces);
  lastMountTable_ = std::move(text);
  for (const std::string& gone : changes.vanished) Remove(gone);
  for (const std::string& mounted : changes.appeared) Add(std::string(), mounted);
}

void HotplugWatcher::Reconcile(const std::string& owner, const std::vector<std::string>& present) {
  std::vector<std::string> gone;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& served : players_)
      if (served.second.owner == owner && !std::binary_search(present.begin(), present.end(), served.first))
        gone.push_back(served.first);
  }
  // Removals first: a player renamed in its root leaves, then arrives anew.
  for (const std::string& directory : gone) Remove(directory);
  for (const std::string& directory : present) Add(owner, directory);
}

void HotplugWatcher::Add(const std::string& owner, const std::string& directory) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (players_.count(directory)) return;
  }
  const ObjectId device = settings_.makePlayer(*model_, directory);
  if (!device) return;
  std::lock_guard<std::mutex> lock(mutex_);
  players_[directory] = Served{owner, device};
}

void HotplugWatcher::Remove(const std::string& directory) {
  ObjectId device = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto served = players_.find(directory);
    if (served == players_.end()) return;
    device = served->second.device;
    players_.erase(served);
  }
  model_->RemoveDevice(device);
}

}  // namespace wmdm_standin
