// One registry hive kept in one SQLite database file.
//
// The file holds a tree of keys (id, parent, name) and the values of each key (name,
// type, data bytes). Names keep their case; lookups and the subkey order use the folded
// name (support/case_fold.h). Values list in the order they were first created. The root key
// of the hive has id kRootKey and always exists, even before the file does.
//
// Every public operation runs inside a transaction started with begin() (a write
// transaction takes the database's write lock at once, waiting up to a busy time-out
// for other processes) and ended with commit() or rollback(); the Transaction guard
// does that. Statuses are Win32 codes:
//   ERROR_ACCESS_DENIED  the file or its folder cannot be written (writes), or read
//   ERROR_BADDB          the file is not an intact hive; it is never changed then
//   ERROR_KEY_DELETED    the key an id names no longer exists
//   ERROR_FILE_NOT_FOUND a named subkey or value does not exist
//   ERROR_SHARING_VIOLATION  another process kept the database locked too long
// A hive file that does not exist reads as an empty hive and is created only by a write.
// Not thread-safe: the caller serialises calls. After fork() a child opens its own
// connection and never touches the one it inherited.
//
// Reads at memory speed. The connection and its statements stay open for the life of the
// object, and cache() keeps what reads found. A read transaction begins without SQLite
// while the cache is current: the header of the write-ahead-log index is what it was when
// the cache was filled (every commit of any process rewrites it before returning, so a
// read sees every commit that returned before it began), and the file watch (file_watch.h)
// saw nothing touch the file outside the database. Otherwise the cache is emptied, the
// file judged again when it was touched, and the transaction reads through SQLite, which
// it also does when a read misses the cache (Statement starts the SQLite transaction then).
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/file_watch.h"
#include "platform/registry/hive_paths.h"
#include "platform/registry/read_cache.h"
#include "platform/registry/wal_index.h"
#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

struct sqlite3;
struct sqlite3_stmt;

namespace quendel::registry {

struct KeyEntry {
  std::int64_t id = 0;
  std::u16string name;
};

struct ValueEntry {
  std::u16string name;
  DWORD type = 0;
  std::vector<std::uint8_t> data;
};

// What the first bytes of a hive file say about it, judged without SQLite. hotJournal:
// a rollback journal lies beside the file, so its length may be mid-transaction.
enum class HiveFileState { Empty, Database, Damaged };
HiveFileState classifyHiveFile(int fd, bool hotJournal = false);

// SQL text the statement cache of a hive may key by its address: only a string literal
// (or another array of static storage) converts to it, at compile time, so the text a
// cached statement was prepared from can never be freed or reused for other text.
class SqlLiteral {
 public:
  template <std::size_t N>
  consteval SqlLiteral(const char (&text)[N]) : text_(text) {}  // NOLINT(google-explicit-constructor)
  const char* c_str() const { return text_; }
  bool operator==(const SqlLiteral& other) const { return text_ == other.text_; }

 private:
  const char* text_;
};

class Hive {
 public:
  static constexpr std::int64_t kRootKey = 1;

  explicit Hive(HiveLocation location);
  ~Hive();
  Hive(const Hive&) = delete;
  Hive& operator=(const Hive&) = delete;

  const std::string& file() const { return location_.file; }

  [[nodiscard]] LONG begin(bool write);
  [[nodiscard]] LONG commit();
  void rollback();

  // True when this process could write the hive (file and folder writable, or creatable).
  bool writable() const;

  // Closes the database connection (outside a transaction) and drops the file watch, as
  // before fork(); the next call reopens both.
  void release() {
    closeConnection();
    watch_.reset();
  }

  // What reads found (read_cache.h); use it only while cacheable().
  ReadCache& cache() { return cache_; }
  // True inside a read transaction whose answers may be taken from and kept in cache():
  // it then describes the hive as it was when the transaction began.
  bool cacheable() const { return inTransaction_ && !writing_ && cacheOpen_; }
  // Inside a transaction: equal in two transactions only when nothing changed the hive in
  // between (every number is new when that cannot be told, so never equal then).
  std::uint64_t changeCount();

  [[nodiscard]] LONG keyExists(std::int64_t key);
  [[nodiscard]] LONG findSubKey(std::int64_t parent, std::u16string_view name, std::int64_t* id);
  // Creates a subkey that does not exist yet (write transaction).
  [[nodiscard]] LONG createSubKey(std::int64_t parent, std::u16string_view name, std::int64_t* id);
  // The subkeys in enumeration order.
  [[nodiscard]] LONG subKeys(std::int64_t parent, std::vector<KeyEntry>* out);
  [[nodiscard]] LONG values(std::int64_t key, std::vector<ValueEntry>* out);
  [[nodiscard]] LONG getValue(std::int64_t key, std::u16string_view name, ValueEntry* out);
  [[nodiscard]] LONG setValue(std::int64_t key, std::u16string_view name, DWORD type, const std::uint8_t* data,
                              std::size_t size);
  [[nodiscard]] LONG deleteValue(std::int64_t key, std::u16string_view name);
  [[nodiscard]] LONG countChildren(std::int64_t key, std::int64_t* subKeys, std::int64_t* values);
  // Removes the key with all its subkeys and values; the root cannot be removed.
  [[nodiscard]] LONG deleteTree(std::int64_t key);
  // Last write time of the key in Windows FILETIME units (100 ns since 1601).
  [[nodiscard]] LONG lastWriteTime(std::int64_t key, std::uint64_t* time);

  // What a reader keeps to learn later whether the hive changed. Two stamps taken inside
  // transactions of the same Hive object are equal only when nothing was committed to
  // the file in between, by this object, another connection or another process.
  struct Stamp {
    std::uint64_t connection = 0;  // the connection's number (0: no hive file yet)
    std::int64_t dataVersion = 0;  // SQLite's count of other connections' commits
    bool operator==(const Stamp&) const = default;
  };
  [[nodiscard]] LONG changeStamp(Stamp* out);

  class Transaction {
   public:
    explicit Transaction(Hive& hive, bool write) : hive_(hive), status_(hive.begin(write)) {}
    ~Transaction() {
      if (status_ == ERROR_SUCCESS && !done_) hive_.rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    LONG status() const { return status_; }
    [[nodiscard]] LONG commit() {
      done_ = true;
      return hive_.commit();
    }

   private:
    Hive& hive_;
    LONG status_;
    bool done_ = false;
  };

 private:
  class Statement;

  LONG open(bool write);
  LONG openOnce(bool write);
  // The steps of openOnce(), in order.
  void abandonInheritedConnection();
  // Stats the file, creating it (and its folders) for a write; *missing for a read of none.
  LONG findOrCreateFile(bool write, struct stat* st, bool* missing);
  // True when the open connection serves the call as it is (*status then says how).
  bool connectionStillServes(const struct stat& st, bool write, LONG* status);
  // Classifies the file's header without SQLite; *st receives the file's identity.
  LONG judgeFile(bool write, HiveFileState* state, struct stat* st);
  LONG connect(bool canWrite, const struct stat& st);
  void keepLogWhenPrivate(const struct stat& st);
  // The file holds our hive (*noHive: none yet, reading); creates it for a write.
  LONG checkContents(bool write, bool* noHive);
  LONG createHiveOnce();
  LONG verifyIntegrity();
  LONG keepWriteAheadLog();
  // Runs one statement and reads the first column of its first row (SQLite status).
  int queryOne(const char* sql, std::int64_t* n, std::string* text);
  LONG openConnection(const std::string& name, int flags, bool uri);
  LONG createSchema();
  void closeConnection();
  LONG fail(int rc);
  LONG touch(std::int64_t key);
  sqlite3_stmt* prepare(SqlLiteral sql, LONG* status);
  // The cache's part of a transaction: whether it may begin without SQLite, emptying
  // it, taking the index header a new filling is valid for, the SQLite transaction of
  // a read that began without one.
  bool cacheStillCurrent() const;
  void dropCache();
  void openCache();
  LONG startDeferred();

  HiveLocation location_;
  sqlite3* db_ = nullptr;
  pid_t owner_ = 0;
  dev_t dev_ = 0;
  ino_t ino_ = 0;
  bool readOnly_ = false;
  bool immutable_ = false;  // opened without log and shared index (folder not writable)
  bool empty_ = false;      // the file does not exist or holds no hive yet (reads only)
  bool inTransaction_ = false;
  bool writing_ = false;
  bool broken_ = false;  // SQLite reported damage: reopen and re-check before the next use
  // Renumbered for every new connection and for every commit of its own, which SQLite's
  // data version does not count (see changeStamp()).
  std::uint64_t connectionNumber_ = 0;
  std::vector<std::pair<SqlLiteral, sqlite3_stmt*>> statements_;

  ReadCache cache_;
  WalIndex wal_;
  WalIndex::Header cacheHeader_{};  // the index header cache_ is valid for
  bool cacheOpen_ = false;          // cache_ describes the hive as of cacheHeader_
  bool deferred_ = false;           // a read served from cache_ so far: no SQLite transaction yet
  std::uint64_t epoch_ = 0;         // renumbered whenever cache_ is emptied (changeCount())
  std::shared_ptr<FileWatch> watch_;
  std::uint64_t watchSeen_ = 0;  // watch_->changes() when the file was last judged
  int headerFd_ = -1;            // the file, read-only, for judging it while connected
};

}  // namespace quendel::registry

QUENDEL_EXPORT_END
