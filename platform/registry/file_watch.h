// Notice, at memory speed, that a file was touched other than through its database.
//
//   std::shared_ptr<FileWatch> watch = FileWatch::of("/home/u/.config/quendel/registry/user.db");
//   std::uint64_t seen = watch->changes();
//   ...
//   if (watch->changes() != seen) { /* judge the file again */ }
//
// One kernel watch (inotify) per folder, served by one thread of the process, counts for
// each watched file the events that may mean it was replaced, removed, damaged or had
// its permissions changed: its name created, removed or renamed, the file written or its
// attributes changed, another file renamed into the place of its log, shared index or
// journal (or theirs away). A database's own commits go to its log and index and are not
// counted, nor is their creation and removal; its checkpoints write the file and are. The count moves when the thread
// has read the event, a moment after the change. of() gives nullptr when the folder cannot be watched (missing, or no
// inotify): callers must then judge the file at every use. After fork() the child starts afresh (the thread does not
// survive it): forget() every watch before forking.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::registry {

class FileWatch {
 public:
  static std::shared_ptr<FileWatch> of(const std::string& file);
  // Prepares the child of a fork() to start its own thread (call in the child only).
  static void restartAfterFork();

  FileWatch(std::string folder, std::string name) : folder_(std::move(folder)), name_(std::move(name)) {}
  ~FileWatch();
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;

  std::uint64_t changes() const { return changes_.load(std::memory_order_acquire); }

 private:
  friend class FileWatchThread;
  void bump() { changes_.fetch_add(1, std::memory_order_acq_rel); }
  // Whether an event of the folder naming `entry` with mask `mask` concerns this file.
  bool concerns(const char* entry, std::uint32_t mask) const;

  std::string folder_, name_;
  int descriptor_ = -1;  // the folder's watch
  std::atomic<std::uint64_t> changes_{0};
};

}  // namespace quendel::registry

QUENDEL_EXPORT_END
