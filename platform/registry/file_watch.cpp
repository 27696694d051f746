#include "platform/registry/file_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace quendel::registry {

// The process's inotify descriptor, its reading thread and the watches it serves.
class FileWatchThread {
 public:
  static FileWatchThread& get() {
    // Replaced (and the old one left to leak) in a forked child, whose copy of the
    // thread does not run.
    static FileWatchThread* instance = new FileWatchThread();        // NOLINT(cppcoreguidelines-owning-memory)
    if (restart_.exchange(false)) instance = new FileWatchThread();  // NOLINT(cppcoreguidelines-owning-memory)
    return *instance;
  }
  static void requestRestart(int inheritedFd) {
    if (inheritedFd >= 0) ::close(inheritedFd);
    restart_ = true;
  }
  static int currentFd() { return lastFd_.load(); }

  bool add(const std::shared_ptr<FileWatch>& watch) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ < 0) return false;
    constexpr std::uint32_t kMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_MODIFY |
                                    IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    int wd = inotify_add_watch(fd_, watch->folder_.c_str(), kMask);
    if (wd < 0) return false;
    watch->descriptor_ = wd;
    watches_.push_back(watch);
    if (!started_) {
      std::thread([this] { run(); }).detach();
      started_ = true;
    }
    return true;
  }

  void remove(FileWatch* watch) {
    std::lock_guard<std::mutex> lock(mutex_);
    bool shared = false;
    std::erase_if(watches_, [&](const std::weak_ptr<FileWatch>& w) {
      auto p = w.lock();
      if (p && p.get() != watch && p->descriptor_ == watch->descriptor_) shared = true;
      return !p || p.get() == watch;
    });
    // The kernel gives one descriptor per folder: keep it while another file uses it.
    if (!shared && fd_ >= 0 && watch->descriptor_ >= 0) inotify_rm_watch(fd_, watch->descriptor_);
  }

 private:
  FileWatchThread() : fd_(inotify_init1(IN_CLOEXEC)) { lastFd_ = fd_; }

  void run() {
    alignas(inotify_event) char buffer[4096 + sizeof(inotify_event) + NAME_MAX + 1];
    for (;;) {
      ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n <= 0) {
        if (n < 0 && errno == EINTR) continue;
        bumpAll();  // the descriptor failed: nothing can be trusted to be unchanged
        return;
      }
      std::lock_guard<std::mutex> lock(mutex_);
      for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
        dispatch(*e);
        at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      }
    }
  }

  void dispatch(const inotify_event& e) {
    const bool wholeFolder = (e.mask & (IN_Q_OVERFLOW | IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) != 0;
    for (auto& w : watches_) {
      auto p = w.lock();
      if (!p) continue;
      if (e.mask & IN_Q_OVERFLOW) {
        p->bump();
      } else if (p->descriptor_ == e.wd && (wholeFolder || (e.len > 0 && p->concerns(e.name, e.mask)))) {
        p->bump();
      }
    }
  }

  void bumpAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& w : watches_)
      if (auto p = w.lock()) p->bump();
  }

  std::mutex mutex_;
  int fd_;
  bool started_ = false;
  std::vector<std::weak_ptr<FileWatch>> watches_;
  static inline std::atomic<bool> restart_{false};
  static inline std::atomic<int> lastFd_{-1};
};

std::shared_ptr<FileWatch> FileWatch::of(const std::string& file) {
  auto slash = file.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : file.substr(0, slash));
  std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
  auto watch = std::make_shared<FileWatch>(std::move(folder), std::move(name));
  if (!FileWatchThread::get().add(watch)) return nullptr;
  return watch;
}

void FileWatch::restartAfterFork() { FileWatchThread::requestRestart(FileWatchThread::currentFd()); }

FileWatch::~FileWatch() {
  if (descriptor_ >= 0) FileWatchThread::get().remove(this);
}

bool FileWatch::concerns(const char* entry, std::uint32_t mask) const {
  std::size_t length = std::strlen(entry);
  if (length < name_.size() || std::memcmp(entry, name_.data(), name_.size()) != 0) return false;
  const char* suffix = entry + name_.size();
  if (*suffix == '\0') return true;  // the file itself: any event
  // The log and the index are written by every commit, and made and removed as the
  // database's connections come and go (counting that would make each reopening cause
  // the next); only another file renamed into their place, or theirs away, counts.
  bool companion =
      std::strcmp(suffix, "-wal") == 0 || std::strcmp(suffix, "-shm") == 0 || std::strcmp(suffix, "-journal") == 0;
  return companion && (mask & (IN_MOVED_FROM | IN_MOVED_TO)) != 0;
}

}  // namespace quendel::registry
