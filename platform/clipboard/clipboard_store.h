// The per-session clipboard store: the state every process of the login session shares.
//
//   auto folder = SessionFolder::open();          // $XDG_RUNTIME_DIR/quendel-clipboard
//   StoreLock lock;  if (lock.tryAcquire(*folder)) { Snapshot s = readSnapshot(*folder); ... }
//   writeSnapshot(*folder, s);                      // only while holding the lock
//
// Files in the folder (mode 0700, owned by the user; refused otherwise):
// - "lock": flock held by the process that has the clipboard open. The kernel drops it
//   when that process ends in any way, so a crash never leaves the clipboard locked.
// - "data": the formats and their bytes, replaced as a whole by rename(2) from a private
//   temporary file, so a reader sees the old or the new content, never a mix, and a writer
//   killed half-way leaves only a stray temporary file (swept by the next writer).
// - "formats": the registered format names (0xC000 upwards), guarded by "formats.lock".
// - "owner.lock", "owner.window": the desktop bridge's owner process (desktop_bridge.h).
// The folder is $XDG_RUNTIME_DIR/quendel-clipboard; without XDG_RUNTIME_DIR,
// /tmp/quendel-clipboard-<uid>. QUENDEL_CLIPBOARD_DIR names another folder (tests).
//
// A damaged or foreign "data" file reads as an empty clipboard (generation 0); a damaged
// "formats" file as a table without names, which is then rewritten.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/clipboard/global_memory.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::clipboard {

class SessionFolder {
 public:
  // The folder, created when missing. Empty optional (and *error set to a Win32 code)
  // when it cannot be created or belongs to someone else.
  static std::optional<SessionFolder> open(DWORD* error = nullptr);
  const std::string& path() const { return path_; }
  std::string file(const char* name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The clipboard lock: exclusive, never waited for.
class StoreLock {
 public:
  StoreLock() = default;
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;
  StoreLock(StoreLock&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  ~StoreLock() { release(); }
  // False when another process (or another open description in this one) holds it.
  [[nodiscard]] bool tryAcquire(const SessionFolder& folder);
  void release();
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

enum class Origin : DWORD { Library = 0, Desktop = 1 };

struct Entry {
  UINT format = 0;
  Bytes bytes;
};

struct Snapshot {
  std::uint64_t generation = 0;
  Origin origin = Origin::Library;
  std::uint64_t desktopFingerprint = 0;  // of the desktop data an import came from
  std::vector<Entry> entries;            // in the order the formats were put
};

// The current content, mapped read-only; an empty snapshot when there is none.
Snapshot readSnapshot(const SessionFolder& folder);
// Replaces the content as a whole. False (errno-based Win32 code in *error) when the
// file could not be written; the old content then stands.
bool writeSnapshot(const SessionFolder& folder, const Snapshot& s, DWORD* error = nullptr);
// The file image of a snapshot and its reader (exposed for tests and the fuzz target).
std::vector<BYTE> encodeSnapshotHeader(const Snapshot& s);
bool decodeSnapshot(const Bytes& file, Snapshot* out);

// Registered format names. Lookups fold ASCII and the letters the registry folds.
// registerFormatName returns 0 when the table is full (16384 names) or cannot be written.
UINT registerFormatName(const SessionFolder& folder, const std::string& name);
std::optional<std::string> formatNameOf(const SessionFolder& folder, UINT id);
UINT formatIdOf(const SessionFolder& folder, const std::string& name);  // 0: none

}  // namespace quendel::clipboard

QUENDEL_EXPORT_END
