#include "platform/registry/hive.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <type_traits>

#include "support/case_fold.h"
#include "support/codepage.h"

namespace quendel::registry {
namespace {

// "QREG": marks a database as a registry hive of this port.
constexpr std::int32_t kApplicationId = 0x51524547;
constexpr int kBusyTimeoutMs = 15000;
// The two tables of a hive (keys, vals).
constexpr std::int64_t kHiveTables = 2;
// Opening a file that looks damaged is tried this often, this far apart.
constexpr int kOpenAttempts = 6;
constexpr useconds_t kOpenRetryPauseUs = 40000;

// Waits for another process's write lock with short sleeps: SQLite's default handler
// sleeps up to 100 ms a time, which leaves the lock idle while several writers queue.
// Gives up after about kBusyTimeoutMs in all.
int waitForLock(void*, int count) {
  constexpr int kMaxSleepUs = 2000;
  constexpr int kRampCalls = 20;  // 0.1 ms, 0.2 ms, ... up to 2 ms
  constexpr int kRampUs = kMaxSleepUs * (kRampCalls + 1) / 2;
  if (count > kRampCalls + (kBusyTimeoutMs * 1000 - kRampUs) / kMaxSleepUs) return 0;
  ::usleep(static_cast<useconds_t>(count < kRampCalls ? (count + 1) * (kMaxSleepUs / kRampCalls) : kMaxSleepUs));
  return 1;
}

std::uint64_t nowFileTime() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  constexpr std::uint64_t kEpochDifference = 11644473600ull;  // 1601 -> 1970, seconds
  constexpr std::uint64_t kUnitsPerSecond = 10000000ull;      // 100 ns units
  constexpr std::uint64_t kNanosecondsPerUnit = 100;
  return (static_cast<std::uint64_t>(ts.tv_sec) + kEpochDifference) * kUnitsPerSecond +
         static_cast<std::uint64_t>(ts.tv_nsec) / kNanosecondsPerUnit;
}

std::string parentFolder(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Numbers connections and their own commits for Hive::changeStamp(), over all hives.
std::atomic<std::uint64_t> g_lastConnectionNumber{0};
// Numbers the fillings of every hive's cache for Hive::changeCount().
std::atomic<std::uint64_t> g_lastEpoch{0};

bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

LONG statusFromErrno(int e, bool writing) {
  switch (e) {
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case ENOMEM: return ERROR_OUTOFMEMORY;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    default: return writing ? ERROR_CANTWRITE : ERROR_CANTREAD;
  }
}

LONG makeFolders(const std::string& folder, mode_t mode) {
  if (folder.empty() || exists(folder)) return ERROR_SUCCESS;
  std::string parent = parentFolder(folder);
  if (parent != folder) {
    if (LONG st = makeFolders(parent, mode); st != ERROR_SUCCESS) return st;
  }
  if (::mkdir(folder.c_str(), mode) != 0 && errno != EEXIST) return statusFromErrno(errno, true);
  return ERROR_SUCCESS;
}

std::string uriFor(const std::string& path, const char* query) {
  static const char* kHex = "0123456789ABCDEF";
  std::string uri = "file:";
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri + "?" + query;
}

// The database file header: its size and the offsets of the fields judged here.
constexpr std::size_t kHeaderSize = 100;
constexpr char kMagic[] = "SQLite format 3";  // with its terminating zero: 16 bytes
constexpr int kPageSizeAt = 16;               // 2 bytes, big-endian
constexpr int kWriteVersionAt = 18;           // 1: rollback journal, 2: write-ahead log
constexpr int kReadVersionAt = 19;
constexpr int kChangeCounterAt = 24;
constexpr int kPageCountAt = 28;
constexpr int kApplicationIdAt = 68;
constexpr int kVersionValidForAt = 92;
constexpr int kLegacyFormat = 1;
constexpr int kWalFormat = 2;
constexpr std::uint32_t kMinPageSize = 512;
constexpr std::uint32_t kMaxPageSize = 65536;
constexpr std::uint32_t kLargestPageSizeCode = 1;  // how the header writes kMaxPageSize

std::uint32_t bigEndian32(const unsigned char* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::u16string columnName(sqlite3_stmt* st, int col) {
  const unsigned char* text = sqlite3_column_text(st, col);
  int n = sqlite3_column_bytes(st, col);
  if (!text) return {};
  return cp::fromUtf8(std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(n)));
}

std::vector<std::uint8_t> columnBlob(sqlite3_stmt* st, int col) {
  const void* blob = sqlite3_column_blob(st, col);
  int n = sqlite3_column_bytes(st, col);
  if (!blob || n <= 0) return {};
  auto p = static_cast<const std::uint8_t*>(blob);
  return std::vector<std::uint8_t>(p, p + n);
}

}  // namespace

HiveFileState classifyHiveFile(int fd, bool hotJournal) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return HiveFileState::Damaged;
  if (st.st_size == 0) return HiveFileState::Empty;
  if (static_cast<std::uint64_t>(st.st_size) < kMinPageSize) return HiveFileState::Damaged;
  unsigned char h[kHeaderSize];
  if (::pread(fd, h, sizeof h, 0) != static_cast<ssize_t>(sizeof h)) return HiveFileState::Damaged;
  if (std::memcmp(h, kMagic, sizeof kMagic) != 0) return HiveFileState::Damaged;
  std::uint32_t pageSize = (std::uint32_t{h[kPageSizeAt]} << 8) | h[kPageSizeAt + 1];
  if (pageSize == kLargestPageSizeCode) pageSize = kMaxPageSize;
  if (pageSize < kMinPageSize || pageSize > kMaxPageSize || (pageSize & (pageSize - 1)) != 0) {
    return HiveFileState::Damaged;
  }
  // A writer killed inside a rollback-journal transaction leaves the file half written
  // until SQLite rolls it back from the journal; the length tells nothing then.
  if (hotJournal) return HiveFileState::Database;
  if (static_cast<std::uint64_t>(st.st_size) % pageSize != 0) return HiveFileState::Damaged;
  for (int at : {kWriteVersionAt, kReadVersionAt}) {
    if (h[at] < kLegacyFormat || h[at] > kWalFormat) return HiveFileState::Damaged;
  }
  // The page count in the header is trustworthy when the version-valid-for number
  // matches the change counter; a file shorter than that count lost its tail.
  std::uint32_t pages = bigEndian32(h + kPageCountAt);
  if (pages != 0 && bigEndian32(h + kChangeCounterAt) == bigEndian32(h + kVersionValidForAt) &&
      static_cast<std::uint64_t>(st.st_size) < static_cast<std::uint64_t>(pages) * pageSize) {
    return HiveFileState::Damaged;
  }
  std::int32_t appId = static_cast<std::int32_t>(bigEndian32(h + kApplicationIdAt));
  if (appId != 0 && appId != kApplicationId) return HiveFileState::Damaged;
  return HiveFileState::Database;
}

// Text built at run time cannot reach the statement cache.
static_assert(!std::is_constructible_v<SqlLiteral, const char*>);
static_assert(!std::is_constructible_v<SqlLiteral, std::string>);

// A cached statement, reset for reuse when the scope ends.
class Hive::Statement {
 public:
  Statement(Hive& hive, SqlLiteral sql, LONG* status) : st_(hive.prepare(sql, status)) {}
  ~Statement() {
    if (st_) {
      sqlite3_reset(st_);
      sqlite3_clear_bindings(st_);
    }
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  explicit operator bool() const { return st_ != nullptr; }
  sqlite3_stmt* get() const { return st_; }
  void bind(int i, std::int64_t v) { sqlite3_bind_int64(st_, i, v); }
  void bindText(int i, const std::string& s) {
    sqlite3_bind_text(st_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
  }
  void bindBlob(int i, const void* p, std::size_t n) {
    // A null pointer would bind NULL; an empty value is a zero-length blob.
    sqlite3_bind_blob64(st_, i, n ? p : "", n, SQLITE_TRANSIENT);
  }
  void bindFold(int i, std::u16string_view name) {
    std::string k = text::foldKey(name);
    bindBlob(i, k.data(), k.size());
  }
  int step() { return sqlite3_step(st_); }

 private:
  sqlite3_stmt* st_;
};

Hive::Hive(HiveLocation location) : location_(std::move(location)) {}

Hive::~Hive() {
  // A forked child must leave the parent's connection alone: closing it here could
  // checkpoint and remove the write-ahead log the parent still uses.
  if (owner_ == ::getpid()) closeConnection();
}

void Hive::closeConnection() {
  wal_.detach();  // the mapping belongs to the connection
  dropCache();
  if (!db_) return;
  if (owner_ == ::getpid()) {
    for (auto& s : statements_) sqlite3_finalize(s.second);
    sqlite3_close_v2(db_);
  }
  // Only now: closing a descriptor of the file drops every lock the process holds on it.
  if (headerFd_ >= 0) ::close(headerFd_);
  headerFd_ = -1;
  statements_.clear();
  db_ = nullptr;
  readOnly_ = false;
  immutable_ = false;
}

sqlite3_stmt* Hive::prepare(SqlLiteral sql, LONG* status) {
  if (deferred_) {
    if (LONG st = startDeferred(); st != ERROR_SUCCESS) {
      *status = st;
      return nullptr;
    }
  }
  for (auto& s : statements_) {
    if (s.first == sql) return s.second;
  }
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr);
  if (rc != SQLITE_OK) {
    *status = fail(rc);
    return nullptr;
  }
  statements_.emplace_back(sql, st);
  return st;
}

LONG Hive::fail(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return ERROR_SUCCESS;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_SHARING_VIOLATION;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_CANTOPEN: return ERROR_ACCESS_DENIED;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
    case SQLITE_SCHEMA:
    case SQLITE_MISMATCH: broken_ = true; return ERROR_BADDB;
    case SQLITE_NOMEM: return ERROR_OUTOFMEMORY;
    case SQLITE_TOOBIG: return ERROR_INVALID_PARAMETER;
    default: return writing_ ? ERROR_CANTWRITE : ERROR_CANTREAD;
  }
}

bool Hive::writable() const {
  const std::string& file = location_.file;
  std::string folder = parentFolder(file);
  if (exists(file)) return ::access(file.c_str(), W_OK) == 0 && ::access(folder.c_str(), W_OK) == 0;
  while (!exists(folder)) {
    std::string up = parentFolder(folder);
    if (up == folder) break;
    folder = up;
  }
  return ::access(folder.c_str(), W_OK) == 0;
}

LONG Hive::openConnection(const std::string& name, int flags, bool uri) {
  if (uri) flags |= SQLITE_OPEN_URI;
  int rc = sqlite3_open_v2(name.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    LONG st = fail(rc);
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
    return st;
  }
  owner_ = ::getpid();
  connectionNumber_ = ++g_lastConnectionNumber;
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_handler(db_, waitForLock, nullptr);
  sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  // WAL with synchronous=NORMAL: a commit is in the log (in the kernel's page cache) when
  // the call returns, so killing any process at any moment loses nothing committed; only
  // a power failure can drop the latest commits, never the database's integrity.
  // QUENDEL_REGISTRY_SYNC=full makes every commit wait for the disk as well (survives a
  // power failure, at the price of a flush per call).
  const char* sync = std::getenv("QUENDEL_REGISTRY_SYNC");
  const bool full = sync && std::strcmp(sync, "full") == 0;
  sqlite3_exec(db_, full ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
  return ERROR_SUCCESS;
}

LONG Hive::createSchema() {
  static const char* kSchema =
      "CREATE TABLE keys("
      " id INTEGER PRIMARY KEY AUTOINCREMENT,"  // never reused: a stale handle cannot hit a new key
      " parent INTEGER NOT NULL,"
      " name TEXT NOT NULL,"
      " fold BLOB NOT NULL,"
      " mtime INTEGER NOT NULL,"
      " UNIQUE(parent, fold));"
      "CREATE TABLE vals("
      " id INTEGER PRIMARY KEY AUTOINCREMENT,"  // creation order
      " key INTEGER NOT NULL,"
      " name TEXT NOT NULL,"
      " fold BLOB NOT NULL,"
      " type INTEGER NOT NULL,"
      " data BLOB NOT NULL,"
      " UNIQUE(key, fold));"
      "CREATE INDEX vals_order ON vals(key, id);";
  writing_ = true;
  int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) return fail(rc);
  sqlite3_stmt* st = nullptr;
  rc = sqlite3_prepare_v2(db_, "SELECT count(*) FROM sqlite_master", -1, &st, nullptr);
  std::int64_t objects = -1;
  if (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) objects = sqlite3_column_int64(st, 0);
  sqlite3_finalize(st);
  LONG status = ERROR_SUCCESS;
  if (objects < 0) {
    status = fail(rc);
  } else if (objects == 0) {
    // Another process may have created the hive meanwhile; then there is nothing to do.
    std::string sql = "PRAGMA application_id=" + std::to_string(kApplicationId) + ";PRAGMA user_version=1;" + kSchema +
                      "INSERT INTO keys(id,parent,name,fold,mtime) VALUES(1,0,'',x''," + std::to_string(nowFileTime()) +
                      ");";
    rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) status = fail(rc);
  }
  if (status == ERROR_SUCCESS) {
    rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) status = fail(rc);
  }
  if (status != ERROR_SUCCESS) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  return status;
}

LONG Hive::open(bool write) {
  // A hive that another process is creating or checkpointing can look damaged for a
  // moment; a damaged file stays damaged, so it is judged again a few times first.
  LONG status = ERROR_BADDB;
  for (int attempt = 0; attempt < kOpenAttempts && status == ERROR_BADDB; ++attempt) {
    if (attempt) ::usleep(kOpenRetryPauseUs);
    status = openOnce(write);
  }
  return status;
}

LONG Hive::openOnce(bool write) {
  abandonInheritedConnection();
  // Watched before it is judged, so that whatever touches the file from now on shows.
  if (!watch_) watch_ = FileWatch::of(location_.file);
  const std::uint64_t seen = watch_ ? watch_->changes() : 0;
  // Replaced, removed, written or re-permitted outside the database (or checkpointed):
  // its identity is compared below; its header is judged here through a descriptor of
  // our own, since closing and reopening the connection would itself touch the file.
  const bool touched = seen != watchSeen_;
  watchSeen_ = seen;
  if (touched && db_ && headerFd_ >= 0 && classifyHiveFile(headerFd_, true) == HiveFileState::Damaged) {
    closeConnection();  // judged afresh below, which refuses it
  }
  struct stat st {};
  bool missing = false;
  if (LONG s = findOrCreateFile(write, &st, &missing); s != ERROR_SUCCESS) return s;
  if (missing) {
    empty_ = true;
    return ERROR_SUCCESS;
  }
  if (LONG s = ERROR_SUCCESS; connectionStillServes(st, write, &s)) return s;
  closeConnection();
  broken_ = false;

  HiveFileState state = HiveFileState::Damaged;
  struct stat judged {};
  if (LONG s = judgeFile(write, &state, &judged); s != ERROR_SUCCESS) return s;
  if (state == HiveFileState::Damaged) return ERROR_BADDB;
  bool canWrite = writable();
  if (state == HiveFileState::Empty && !write) {
    empty_ = true;
    return ERROR_SUCCESS;
  }
  if (write && !canWrite) return ERROR_ACCESS_DENIED;
  if (LONG s = connect(canWrite, judged); s != ERROR_SUCCESS) return s;

  bool noHive = false;
  LONG status = checkContents(write, &noHive);
  if (status == ERROR_SUCCESS && noHive) {
    closeConnection();
    empty_ = true;
    return ERROR_SUCCESS;
  }
  if (status == ERROR_SUCCESS && canWrite) status = keepWriteAheadLog();
  if (status != ERROR_SUCCESS) closeConnection();
  return status;
}

void Hive::abandonInheritedConnection() {
  if (db_ && owner_ != ::getpid()) {
    // Inherited across fork(): abandon it without closing (see ~Hive).
    wal_.detach();
    dropCache();
    watch_.reset();
    if (headerFd_ >= 0) ::close(headerFd_);  // the child holds no locks of its own yet
    headerFd_ = -1;
    statements_.clear();
    db_ = nullptr;
  }
}

LONG Hive::findOrCreateFile(bool write, struct stat* st, bool* missing) {
  const std::string& file = location_.file;
  if (::stat(file.c_str(), st) == 0) return ERROR_SUCCESS;
  int e = errno;
  closeConnection();
  if (e != ENOENT) return statusFromErrno(e, write);
  if (!write) {
    *missing = true;
    return ERROR_SUCCESS;
  }
  if (LONG s = makeFolders(parentFolder(file), location_.folderMode); s != ERROR_SUCCESS) return s;
  int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, location_.fileMode);
  if (fd < 0) return statusFromErrno(errno, true);
  ::close(fd);
  if (::stat(file.c_str(), st) != 0) return statusFromErrno(errno, true);
  return ERROR_SUCCESS;
}

bool Hive::connectionStillServes(const struct stat& st, bool write, LONG* status) {
  // A file read without its log is reopened once a writer has started one.
  bool stale = immutable_ && exists(location_.file + "-wal");
  if (!db_ || broken_ || stale || st.st_dev != dev_ || st.st_ino != ino_) return false;
  if (!write || !readOnly_) return true;
  if (writable()) return false;  // reopen for writing
  *status = ERROR_ACCESS_DENIED;
  return true;
}

LONG Hive::judgeFile(bool write, HiveFileState* state, struct stat* st) {
  // Judge the file before SQLite sees it, so that nothing ever writes into a file that
  // is not an intact hive (a damaged hive is left as it is for the user to inspect).
  const std::string& file = location_.file;
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return statusFromErrno(errno, write);
  struct stat journal {};
  bool hotJournal = ::stat((file + "-journal").c_str(), &journal) == 0 && journal.st_size > 0;
  // While a log exists, a checkpoint may be moving its pages into the file: the header
  // can count pages that are not written yet. SQLite's own check judges such a file.
  hotJournal = hotJournal || exists(file + "-wal");
  // A process creating the hive holds the file's turn lock while it writes the first
  // pages (createHiveOnce()); judging the file meanwhile would take it for damaged.
  ::flock(fd, LOCK_SH);
  *state = classifyHiveFile(fd, hotJournal);
  ::fstat(fd, st);
  ::close(fd);
  return ERROR_SUCCESS;
}

LONG Hive::connect(bool canWrite, const struct stat& st) {
  const std::string& file = location_.file;
  bool logInUse = exists(file + "-wal") && exists(file + "-shm");
  LONG status;
  if (canWrite) {
    status = openConnection(file, SQLITE_OPEN_READWRITE, false);
    if (status == ERROR_SUCCESS) keepLogWhenPrivate(st);
  } else if (logInUse) {
    // A writer has the hive open: read through its log and shared index.
    status = openConnection(uriFor(file, "mode=ro"), SQLITE_OPEN_READONLY, true);
  } else {
    // Nobody writes it now, and the log cannot be created here: read the file alone.
    status = openConnection(uriFor(file, "immutable=1"), SQLITE_OPEN_READONLY, true);
  }
  if (status != ERROR_SUCCESS) return status;
  readOnly_ = !canWrite;
  immutable_ = !canWrite && !(exists(file + "-wal") && exists(file + "-shm"));
  headerFd_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  dev_ = st.st_dev;
  ino_ = st.st_ino;
  return ERROR_SUCCESS;
}

// SQLite makes the log and its shared index when a process first opens the hive and
// deletes both when the last one closes it: for a short program (a class look-up at
// activation) that costs more than all its registry reads. A hive that only its owner
// may open keeps both files between processes, the log emptied at that last close (its
// pages are in the file by then), so that a log never outlives the file it belongs to
// with pages in it. A hive others may read keeps SQLite's way, since a reader that
// cannot write relies on the log's absence to read the file alone (connect()).
void Hive::keepLogWhenPrivate(const struct stat& st) {
  if (st.st_uid != ::geteuid() || (st.st_mode & (S_IRWXG | S_IRWXO)) != 0) return;
  sqlite3_exec(db_, "PRAGMA journal_size_limit=0", nullptr, nullptr, nullptr);
  int persist = 1;
  sqlite3_file_control(db_, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
}

int Hive::queryOne(const char* sql, std::int64_t* n, std::string* text) {
  sqlite3_stmt* s = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql, -1, &s, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_step(s);
  if (rc == SQLITE_ROW) {
    if (n) *n = sqlite3_column_int64(s, 0);
    if (text) {
      const unsigned char* t = sqlite3_column_text(s, 0);
      *text = t ? reinterpret_cast<const char*>(t) : "";
    }
    rc = SQLITE_OK;
  }
  sqlite3_finalize(s);
  return rc;
}

LONG Hive::checkContents(bool write, bool* noHive) {
  std::int64_t appId = 0, objects = 0, ours = 0;
  int rc = queryOne("PRAGMA application_id", &appId, nullptr);
  if (rc == SQLITE_OK) rc = queryOne("SELECT count(*) FROM sqlite_master", &objects, nullptr);
  if (rc == SQLITE_OK)
    rc = queryOne("SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN ('keys','vals')", &ours, nullptr);
  if (rc != SQLITE_OK) return fail(rc);
  if (appId == 0 && objects == 0) {
    // A file with no hive in it yet (its creator stopped before the first commit).
    if (!write) {
      *noHive = true;
      return ERROR_SUCCESS;
    }
    return createHiveOnce();
  }
  if (appId != kApplicationId || ours != kHiveTables) return ERROR_BADDB;
  return verifyIntegrity();
}

LONG Hive::createHiveOnce() {
  // Several processes may find the new file empty at once. Switching the journal mode
  // needs the whole file, and SQLite answers such contention with SQLITE_BUSY at once
  // instead of waiting, so the creators take turns on a lock of their own (flock, which
  // does not touch SQLite's record locks) and each looks again once it holds it.
  int turn = ::open(location_.file.c_str(), O_RDONLY | O_CLOEXEC);
  if (turn >= 0) ::flock(turn, LOCK_EX);
  LONG status = ERROR_SUCCESS;
  std::int64_t madeMeanwhile = 0;
  int rc = queryOne("SELECT count(*) FROM sqlite_master", &madeMeanwhile, nullptr);
  if (rc == SQLITE_OK && madeMeanwhile == 0) {
    // The log first, so that a writer killed while creating the tables leaves only
    // uncommitted log frames behind, never a half-written file.
    std::string mode;
    rc = queryOne("PRAGMA journal_mode=WAL", nullptr, &mode);
    status = rc == SQLITE_OK ? createSchema() : fail(rc);
  } else {
    status = rc == SQLITE_OK ? ERROR_SUCCESS : fail(rc);
  }
  if (turn >= 0) ::close(turn);  // releases the lock
  return status;
}

LONG Hive::verifyIntegrity() {
  // Each time a connection opens; later damage shows as SQLite errors (ERROR_BADDB too).
  std::string check;
  int rc = queryOne("PRAGMA quick_check(1)", nullptr, &check);
  if (rc == SQLITE_OK && check == "ok") return ERROR_SUCCESS;
  LONG status = rc != SQLITE_OK ? fail(rc) : ERROR_BADDB;
  return status == ERROR_SUCCESS ? ERROR_BADDB : status;
}

LONG Hive::keepWriteAheadLog() {
  std::string mode;
  int rc = queryOne("PRAGMA journal_mode", nullptr, &mode);
  if (rc == SQLITE_OK && mode != "wal") rc = queryOne("PRAGMA journal_mode=WAL", nullptr, &mode);
  return rc == SQLITE_OK ? ERROR_SUCCESS : fail(rc);
}

bool Hive::cacheStillCurrent() const {
  return cacheOpen_ && db_ && watch_ && watch_->changes() == watchSeen_ && wal_.unchanged(cacheHeader_);
}

void Hive::dropCache() {
  cache_.clear();
  cacheOpen_ = false;
  epoch_ = ++g_lastEpoch;
}

void Hive::openCache() {
  // Taken before SQLite's transaction begins: a commit landing in between makes the
  // header differ next time, so the filling is dropped rather than kept stale.
  if (!wal_.attached() && !immutable_) wal_.attach(db_);
  if (watch_ && wal_.attached() && wal_.read(&cacheHeader_)) cacheOpen_ = true;
}

LONG Hive::startDeferred() {
  deferred_ = false;
  WalIndex::Header now{};
  if (!wal_.read(&now) || now != cacheHeader_ || !watch_ || watch_->changes() != watchSeen_) {
    dropCache();  // changed since the transaction began: what SQLite reads now is newer
  }
  int rc = sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    deferred_ = true;  // still without an SQLite transaction: the next statement tries again
    dropCache();
    return fail(rc);
  }
  return ERROR_SUCCESS;
}

std::uint64_t Hive::changeCount() { return cacheable() ? epoch_ : ++g_lastEpoch; }

LONG Hive::begin(bool write) {
  if (inTransaction_) return ERROR_INVALID_FUNCTION;
  if (!write && cacheStillCurrent()) {
    empty_ = false;
    writing_ = false;
    deferred_ = true;
    inTransaction_ = true;
    return ERROR_SUCCESS;
  }
  dropCache();
  deferred_ = false;
  empty_ = false;
  writing_ = write;
  LONG status = open(write);
  if (status != ERROR_SUCCESS) return status;
  if (!empty_) {
    if (!write) openCache();
    int rc = sqlite3_exec(db_, write ? "BEGIN IMMEDIATE" : "BEGIN", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
      status = fail(rc);
      if (broken_) closeConnection();
      return status;
    }
  }
  inTransaction_ = true;
  return ERROR_SUCCESS;
}

LONG Hive::commit() {
  if (!inTransaction_) return ERROR_INVALID_FUNCTION;
  inTransaction_ = false;
  if (deferred_) {  // answered from the cache alone
    deferred_ = false;
    return ERROR_SUCCESS;
  }
  if (empty_ || !db_) return ERROR_SUCCESS;
  int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
  if (writing_) connectionNumber_ = ++g_lastConnectionNumber;
  LONG status = ERROR_SUCCESS;
  if (rc != SQLITE_OK) {
    status = fail(rc);
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  if (broken_) closeConnection();
  return status;
}

void Hive::rollback() {
  if (!inTransaction_) return;
  inTransaction_ = false;
  if (deferred_) {
    deferred_ = false;
    return;
  }
  if (db_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  if (broken_) closeConnection();
}

LONG Hive::touch(std::int64_t key) {
  LONG status = ERROR_SUCCESS;
  Statement s(*this, "UPDATE keys SET mtime=?1 WHERE id=?2", &status);
  if (!s) return status;
  s.bind(1, static_cast<std::int64_t>(nowFileTime()));
  s.bind(2, key);
  int rc = s.step();
  return rc == SQLITE_DONE ? ERROR_SUCCESS : fail(rc);
}

LONG Hive::keyExists(std::int64_t key) {
  if (key == kRootKey) return ERROR_SUCCESS;
  if (empty_) return ERROR_KEY_DELETED;
  LONG status = ERROR_SUCCESS;
  Statement s(*this, "SELECT 1 FROM keys WHERE id=?1", &status);
  if (!s) return status;
  s.bind(1, key);
  int rc = s.step();
  if (rc == SQLITE_ROW) return ERROR_SUCCESS;
  return rc == SQLITE_DONE ? ERROR_KEY_DELETED : fail(rc);
}

LONG Hive::findSubKey(std::int64_t parent, std::u16string_view name, std::int64_t* id) {
  if (empty_) return ERROR_FILE_NOT_FOUND;
  LONG status = ERROR_SUCCESS;
  Statement s(*this, "SELECT id FROM keys WHERE parent=?1 AND fold=?2", &status);
  if (!s) return status;
  s.bind(1, parent);
  s.bindFold(2, name);
  int rc = s.step();
  if (rc == SQLITE_ROW) {
    *id = sqlite3_column_int64(s.get(), 0);
    return ERROR_SUCCESS;
  }
  return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : fail(rc);
}

LONG Hive::createSubKey(std::int64_t parent, std::u16string_view name, std::int64_t* id) {
  if (empty_ || !writing_) return ERROR_ACCESS_DENIED;
  LONG status = ERROR_SUCCESS;
  {
    Statement s(*this, "INSERT INTO keys(parent,name,fold,mtime) VALUES(?1,?2,?3,?4)", &status);
    if (!s) return status;
    s.bind(1, parent);
    s.bindText(2, cp::toUtf8(name));
    s.bindFold(3, name);
    s.bind(4, static_cast<std::int64_t>(nowFileTime()));
    int rc = s.step();
    if (rc != SQLITE_DONE) return fail(rc);
    *id = sqlite3_last_insert_rowid(db_);
  }
  return touch(parent);
}

LONG Hive::subKeys(std::int64_t parent, std::vector<KeyEntry>* out) {
  out->clear();
  if (empty_) return ERROR_SUCCESS;
  LONG status = ERROR_SUCCESS;
  Statement s(*this, "SELECT id,name FROM keys WHERE parent=?1 ORDER BY fold", &status);
  if (!s) return status;
  s.bind(1, parent);
  int rc;
  while ((rc = s.step()) == SQLITE_ROW) {
    out->push_back(KeyEntry{sqlite3_column_int64(s.get(), 0), columnName(s.get(), 1)});
  }
  return rc == SQLITE_DONE ? ERROR_SUCCESS : fail(rc);
}

LONG Hive::values(std::int64_t key, std::vector<ValueEntry>* out) {
  out->clear();
  if (empty_) return ERROR_SUCCESS;
  LONG status = ERROR_SUCCESS;
  Statement s(*this, "SELECT name,type,data FROM vals WHERE key=?1 ORDER BY id", &status);
  if (!s) return status;
  s.bind(1, key);
  int rc;
  while ((rc = s.step()) == SQLITE_ROW) {
    out->push_back(ValueEntry{columnName(s.get(), 0), static_cast<DWORD>(sqlite3_column_int64(s.get(), 1)),
                              columnBlob(s.get(), 2)});
  }
  return rc == SQLITE_DONE ? ERROR_SUCCESS : fail(rc);
}

LONG Hive::getValue(std::int64_t key, std::u16string_view name, ValueEntry* out) {
  if (empty_) return ERROR_FILE_NOT_FOUND;
  LONG status = ERROR_SUCCESS;
  Statement s(*this, "SELECT name,type,data FROM vals WHERE key=?1 AND fold=?2", &status);
  if (!s) return status;
  s.bind(1, key);
  s.bindFold(2, name);
  int rc = s.step();
  if (rc == SQLITE_ROW) {
    *out = ValueEntry{columnName(s.get(), 0), static_cast<DWORD>(sqlite3_column_int64(s.get(), 1)),
                      columnBlob(s.get(), 2)};
    return ERROR_SUCCESS;
  }
  return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : fail(rc);
}

LONG Hive::setValue(std::int64_t key, std::u16string_view name, DWORD type, const std::uint8_t* data,
                    std::size_t size) {
  if (empty_ || !writing_) return ERROR_ACCESS_DENIED;
  LONG status = ERROR_SUCCESS;
  bool updated = false;
  {
    // An existing value keeps its place in the enumeration order and its name's case.
    Statement s(*this, "UPDATE vals SET type=?1, data=?2 WHERE key=?3 AND fold=?4", &status);
    if (!s) return status;
    s.bind(1, type);
    s.bindBlob(2, data, size);
    s.bind(3, key);
    s.bindFold(4, name);
    int rc = s.step();
    if (rc != SQLITE_DONE) return fail(rc);
    updated = sqlite3_changes(db_) > 0;
  }
  if (!updated) {
    Statement s(*this, "INSERT INTO vals(key,name,fold,type,data) VALUES(?1,?2,?3,?4,?5)", &status);
    if (!s) return status;
    s.bind(1, key);
    s.bindText(2, cp::toUtf8(name));
    s.bindFold(3, name);
    s.bind(4, type);
    s.bindBlob(5, data, size);
    int rc = s.step();
    if (rc != SQLITE_DONE) return fail(rc);
  }
  return touch(key);
}

LONG Hive::deleteValue(std::int64_t key, std::u16string_view name) {
  if (empty_) return ERROR_FILE_NOT_FOUND;
  if (!writing_) return ERROR_ACCESS_DENIED;
  LONG status = ERROR_SUCCESS;
  {
    Statement s(*this, "DELETE FROM vals WHERE key=?1 AND fold=?2", &status);
    if (!s) return status;
    s.bind(1, key);
    s.bindFold(2, name);
    int rc = s.step();
    if (rc != SQLITE_DONE) return fail(rc);
    if (sqlite3_changes(db_) == 0) return ERROR_FILE_NOT_FOUND;
  }
  return touch(key);
}

LONG Hive::countChildren(std::int64_t key, std::int64_t* subKeys, std::int64_t* values) {
  *subKeys = 0;
  *values = 0;
  if (empty_) return ERROR_SUCCESS;
  LONG status = ERROR_SUCCESS;
  Statement s(*this, "SELECT (SELECT count(*) FROM keys WHERE parent=?1), (SELECT count(*) FROM vals WHERE key=?1)",
              &status);
  if (!s) return status;
  s.bind(1, key);
  int rc = s.step();
  if (rc != SQLITE_ROW) return fail(rc);
  *subKeys = sqlite3_column_int64(s.get(), 0);
  *values = sqlite3_column_int64(s.get(), 1);
  return ERROR_SUCCESS;
}

LONG Hive::deleteTree(std::int64_t key) {
  if (key == kRootKey || empty_ || !writing_) return ERROR_ACCESS_DENIED;
  LONG status = ERROR_SUCCESS;
  std::int64_t parent = 0;
  {
    Statement s(*this, "SELECT parent FROM keys WHERE id=?1", &status);
    if (!s) return status;
    s.bind(1, key);
    int rc = s.step();
    if (rc == SQLITE_DONE) return ERROR_KEY_DELETED;
    if (rc != SQLITE_ROW) return fail(rc);
    parent = sqlite3_column_int64(s.get(), 0);
  }
  static constexpr SqlLiteral kDeleteValues =
      "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN tree t ON k.parent=t.id)"
      " DELETE FROM vals WHERE key IN tree";
  static constexpr SqlLiteral kDeleteKeys =
      "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN tree t ON k.parent=t.id)"
      " DELETE FROM keys WHERE id IN tree";
  for (SqlLiteral sql : {kDeleteValues, kDeleteKeys}) {
    Statement s(*this, sql, &status);
    if (!s) return status;
    s.bind(1, key);
    int rc = s.step();
    if (rc != SQLITE_DONE) return fail(rc);
  }
  return touch(parent);
}

LONG Hive::changeStamp(Stamp* out) {
  if (!inTransaction_) return ERROR_INVALID_FUNCTION;
  if (empty_) {
    *out = Stamp{};  // no file, or one without a hive: nothing to list
    return ERROR_SUCCESS;
  }
  LONG status = ERROR_SUCCESS;
  Statement s(*this, "PRAGMA data_version", &status);
  if (!s) return status;
  int rc = s.step();
  if (rc != SQLITE_ROW) return fail(rc);
  *out = Stamp{connectionNumber_, sqlite3_column_int64(s.get(), 0)};
  return ERROR_SUCCESS;
}

LONG Hive::lastWriteTime(std::int64_t key, std::uint64_t* time) {
  *time = 0;
  if (empty_) return key == kRootKey ? ERROR_SUCCESS : ERROR_KEY_DELETED;
  LONG status = ERROR_SUCCESS;
  Statement s(*this, "SELECT mtime FROM keys WHERE id=?1", &status);
  if (!s) return status;
  s.bind(1, key);
  int rc = s.step();
  if (rc == SQLITE_ROW) {
    *time = static_cast<std::uint64_t>(sqlite3_column_int64(s.get(), 0));
    return ERROR_SUCCESS;
  }
  return rc == SQLITE_DONE ? ERROR_KEY_DELETED : fail(rc);
}

}  // namespace quendel::registry
