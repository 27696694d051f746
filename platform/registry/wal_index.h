// The header of a database connection's write-ahead-log index, read without a system call.
//
//   WalIndex wal;
//   if (wal.attach(db)) {                  // after the connection's first read transaction
//     WalIndex::Header before;
//     wal.read(&before);
//     ...                                   // later: unchanged() is true only when no
//     bool same = wal.unchanged(before);    // connection of any process committed since
//   }
//
// Every commit to a database in WAL mode, by any connection of any process, rewrites the
// header in the shared index before the commit returns (its change counter, frame count,
// salts and checksums), so comparing the header with a copy taken earlier tells at memory
// speed whether anything was committed since. The index is the connection's own mapping
// (the VFS's xShmMap), valid until the connection closes: detach() before closing it.
// read() fails (false) while a writer is halfway through the header or the index is not
// set up; callers then treat the database as changed.
#pragma once

#include <array>
#include <cstdint>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

struct sqlite3;

namespace quendel::registry {

class WalIndex {
 public:
  // One copy of the header as the index holds it (48 bytes).
  using Header = std::array<std::uint8_t, 48>;

  // Maps the index of the connection's main database; false when it has none (not in WAL
  // mode, read without a log, or not yet opened by a read transaction).
  bool attach(sqlite3* db);
  void detach() { index_ = nullptr; }
  bool attached() const { return index_ != nullptr; }

  // A consistent copy of the header; false when there is none at this moment.
  bool read(Header* out) const;
  // True when the header equals the copy taken earlier.
  bool unchanged(const Header& before) const;

 private:
  const volatile std::uint8_t* index_ = nullptr;
};

}  // namespace quendel::registry

QUENDEL_EXPORT_END
