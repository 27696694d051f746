#include "platform/registry/wal_index.h"

#include <sqlite3.h>

#include <atomic>
#include <cstddef>
#include <cstring>

namespace quendel::registry {
namespace {

constexpr int kRegionSize = 32768;  // the index's unit of mapping
constexpr std::size_t kHeaderSize = std::tuple_size_v<WalIndex::Header>;
constexpr std::size_t kIsInitAt = 12;  // non-zero once the header is set up
constexpr int kVfsWithSharedMemory = 2;

void copyHeader(const volatile std::uint8_t* from, WalIndex::Header* to) {
  // Another process may write it meanwhile: the fences keep the compiler from reusing an
  // earlier copy, and read() compares the two copies, so a torn one is never trusted.
  std::atomic_signal_fence(std::memory_order_seq_cst);
  std::memcpy(to->data(), const_cast<const std::uint8_t*>(from),
              kHeaderSize);  // NOLINT(cppcoreguidelines-pro-type-const-cast)
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

}  // namespace

bool WalIndex::attach(sqlite3* db) {
  index_ = nullptr;
  sqlite3_file* file = nullptr;
  if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file || !file->pMethods)
    return false;
  const sqlite3_io_methods* io = file->pMethods;
  if (io->iVersion < kVfsWithSharedMemory || !io->xShmMap) return false;
  void volatile* region = nullptr;
  // bExtend 0: only an index the connection already set up; never creates one.
  if (io->xShmMap(file, 0, kRegionSize, 0, &region) != SQLITE_OK || !region) return false;
  index_ = static_cast<const volatile std::uint8_t*>(region);
  return true;
}

bool WalIndex::read(Header* out) const {
  if (!index_) return false;
  // A writer stores the second copy, then the first; a reader takes the first, then the
  // second, and trusts them only when they agree (as SQLite's own readers do).
  Header first{}, second{};
  copyHeader(index_, &first);
  std::atomic_thread_fence(std::memory_order_acquire);
  copyHeader(index_ + kHeaderSize, &second);
  if (first != second || first[kIsInitAt] == 0) return false;
  *out = first;
  return true;
}

bool WalIndex::unchanged(const Header& before) const {
  if (!index_) return false;
  // Both copies compared where they lie, in read()'s order: equal to a copy read()
  // accepted, they are consistent and set up, and no commit came in between.
  std::atomic_signal_fence(std::memory_order_seq_cst);
  if (std::memcmp(const_cast<const std::uint8_t*>(index_),
                  before.data(),  // NOLINT(cppcoreguidelines-pro-type-const-cast)
                  kHeaderSize) != 0)
    return false;
  std::atomic_thread_fence(std::memory_order_acquire);
  return std::memcmp(
             const_cast<const std::uint8_t*>(index_ + kHeaderSize),  // NOLINT(cppcoreguidelines-pro-type-const-cast)
             before.data(), kHeaderSize) == 0;
}

}  // namespace quendel::registry
