#include "platform/registry/registry.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/registry/hive.h"
#include "platform/registry/hive_paths.h"
#include "platform/registry/read_cache.h"
#include "support/case_fold.h"
#include "support/codepage.h"

using quendel::registry::Hive;
using quendel::registry::HiveId;
using quendel::registry::KeyEntry;
using quendel::registry::ReadCache;
using quendel::registry::ValueEntry;

namespace {

constexpr std::size_t kMaxKeyNameChars = 255;
constexpr std::size_t kMaxValueNameChars = 16383;
constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
constexpr std::uintptr_t kFirstRoot = 0x80000000u;  // HKEY_CLASSES_ROOT
constexpr std::uintptr_t kLastRoot = 0x80000006u;   // HKEY_DYN_DATA
// Handles of opened keys count up from here in steps of four, as Windows hands them
// out, and skip the roots' range.
constexpr std::uintptr_t kFirstHandle = 0x10000;
constexpr std::uintptr_t kHandleStep = 4;

using Path = std::vector<std::u16string>;

// An open key: a key of one hive, or a path in the merged classes view.
struct KeyHandle {
  bool classes = false;
  std::shared_ptr<Hive> hive;
  std::int64_t id = 0;
  Path path;  // classes: below Software\Classes
  REGSAM access = 0;
  bool root = false;
};

std::mutex g_mutex;
// Numbers handed out by hiveChangeCount() for views whose changes are not counted.
std::uint64_t g_uncountedChanges = 1ull << 62;
std::unordered_map<std::uintptr_t, KeyHandle> g_handles;
std::uintptr_t g_nextHandle = kFirstHandle;
// The current hive object of each HiveId.
constexpr std::size_t kHiveCount = static_cast<std::size_t>(HiveId::CurrentConfig) + 1;
std::shared_ptr<Hive> g_hives[kHiveCount];

// A child of fork() must not share SQLite connections with its parent (their locks are
// per process), so every connection is closed just before a fork; both sides reopen
// their own on the next call. The registry lock is held across the fork so that no
// transaction is half done in the child.
void beforeFork() {
  g_mutex.lock();
  for (auto& hive : g_hives) {
    if (hive) hive->release();
  }
  for (auto& [value, handle] : g_handles) {
    if (handle.hive) handle.hive->release();
  }
}
void afterFork() { g_mutex.unlock(); }
void afterForkInChild() {
  quendel::registry::FileWatch::restartAfterFork();
  g_mutex.unlock();
}

// The variables the hives' locations depend on, joined (each followed by a NUL; unset:
// an extra NUL), and whether they still read so without building the text.
constexpr const char* kLocationVariables[] = {"QUENDEL_REGISTRY_DIR", "XDG_CONFIG_HOME", "HOME"};
std::string environmentOfLocations() {
  std::string text;
  for (const char* name : kLocationVariables) {
    if (const char* v = std::getenv(name))
      text += v;
    else
      text += '\0';
    text += '\0';
  }
  return text;
}
bool sameEnvironment(const std::string& last) {
  // QUENDEL_REGISTRY_DIR, when set, decides alone.
  if (const char* dir = std::getenv(kLocationVariables[0]); dir && *dir) {
    std::size_t n = std::strlen(dir);
    return last.size() > n && last.compare(0, n, dir) == 0 && last[n] == '\0';
  }
  std::size_t at = 0;
  for (const char* name : kLocationVariables) {
    const char* v = std::getenv(name);
    std::string_view now = v ? std::string_view(v) : std::string_view("\0", 1);
    if (last.compare(at, now.size(), now) != 0 || at + now.size() >= last.size() || last[at + now.size()] != '\0')
      return false;
    at += now.size() + 1;
  }
  return at == last.size();
}

// A number that changes whenever the environment may have: setenv, unsetenv and putenv
// replace, add or remove entries of environ (they never rewrite an entry's text), so
// while environ holds the same entries at the same addresses no variable changed, which
// is told without comparing a name. (Text a program edits in place after putenv is not
// noticed.)
std::uint64_t environmentGeneration() {
  static std::vector<char*> entries{nullptr};  // with the terminating null
  static char** array = nullptr;
  static std::uint64_t generation = 0;
  char** now = environ;
  bool same = now == array && now;
  // Stops at the first difference, so it never reads past the array's terminating null.
  for (std::size_t i = 0; same; ++i) {
    if (now[i] != entries[i]) same = false;
    if (!entries[i]) break;
  }
  if (same) return generation;
  entries.clear();
  for (std::size_t i = 0; now && now[i]; ++i) entries.push_back(now[i]);
  entries.push_back(nullptr);
  array = now;
  return ++generation;
}

// The hive object for the hive's current file; a handle keeps the object it was opened on.
const std::shared_ptr<Hive>& hiveFor(HiveId id) {
  static const bool forkHandlers = pthread_atfork(beforeFork, afterFork, afterForkInChild) == 0;
  (void)forkHandlers;
  // The location follows the environment (QUENDEL_REGISTRY_DIR, XDG_CONFIG_HOME, HOME);
  // it is worked out again only when one of those changed.
  static std::string lastEnvironment[kHiveCount];
  static std::uint64_t lastGeneration[kHiveCount];
  std::string& last = lastEnvironment[static_cast<int>(id)];
  auto& slot = g_hives[static_cast<int>(id)];
  const std::uint64_t generation = environmentGeneration();
  if (slot && lastGeneration[static_cast<int>(id)] == generation) return slot;
  lastGeneration[static_cast<int>(id)] = generation;
  if (slot && sameEnvironment(last)) return slot;
  auto loc = quendel::registry::hiveLocation(id);
  if (!slot || slot->file() != loc.file) slot = std::make_shared<Hive>(std::move(loc));
  last = environmentOfLocations();
  return slot;
}

const Path& classesPrefix() {
  static const Path prefix{u"Software", u"Classes"};
  return prefix;
}

Path join(const Path& a, const Path& b) {
  Path p = a;
  p.insert(p.end(), b.begin(), b.end());
  return p;
}

bool isRoot(std::uintptr_t value) { return value >= kFirstRoot && value <= kLastRoot; }

// The roots that are not provided (see registry.h).
bool isMissingRoot(HKEY hKey) { return hKey == HKEY_PERFORMANCE_DATA || hKey == HKEY_DYN_DATA; }

// The open key a handle names, without copying it: the roots' entries live here, the
// others in g_handles (valid until that handle is closed).
LONG resolve(HKEY hKey, const KeyHandle** out) {
  auto value = reinterpret_cast<std::uintptr_t>(hKey);
  if (isRoot(value)) {
    static KeyHandle roots[kLastRoot - kFirstRoot + 1];
    KeyHandle& h = roots[value - kFirstRoot];
    h.access = KEY_ALL_ACCESS;
    h.root = true;
    h.id = Hive::kRootKey;
    if (hKey == HKEY_CLASSES_ROOT) {
      h.classes = true;
    } else if (hKey == HKEY_CURRENT_USER) {
      h.hive = hiveFor(HiveId::CurrentUser);
    } else if (hKey == HKEY_LOCAL_MACHINE) {
      h.hive = hiveFor(HiveId::LocalMachine);
    } else if (hKey == HKEY_USERS) {
      h.hive = hiveFor(HiveId::Users);
    } else if (hKey == HKEY_CURRENT_CONFIG) {
      h.hive = hiveFor(HiveId::CurrentConfig);
    } else {
      return ERROR_INVALID_HANDLE;  // performance data and dynamic data
    }
    *out = &h;
    return ERROR_SUCCESS;
  }
  auto it = g_handles.find(value);
  if (it == g_handles.end()) return ERROR_INVALID_HANDLE;
  *out = &it->second;
  return ERROR_SUCCESS;
}

HKEY newHandle(KeyHandle h) {
  std::uintptr_t value = g_nextHandle;
  g_nextHandle += kHandleStep;
  if (g_nextHandle >= kFirstRoot && g_nextHandle <= kLastRoot + kHandleStep) g_nextHandle = kLastRoot + 2 * kHandleStep;
  h.root = false;
  g_handles.emplace(value, std::move(h));
  return reinterpret_cast<HKEY>(value);
}

// Splits an ANSI key path into names. A single trailing "\" is allowed.
LONG splitPath(const char* text, bool creating, Path* out) {
  out->clear();
  if (!text || !*text) return ERROR_SUCCESS;
  std::u16string path = quendel::cp::ansiToUnicode(text);
  if (!path.empty() && path.back() == u'\\') path.pop_back();
  std::size_t start = 0;
  while (true) {
    std::size_t end = path.find(u'\\', start);
    std::u16string name = path.substr(start, end == std::u16string::npos ? end : end - start);
    if (name.empty()) return ERROR_BAD_PATHNAME;
    if (name.size() > kMaxKeyNameChars) return creating ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND;
    out->push_back(std::move(name));
    if (end == std::u16string::npos) break;
    start = end + 1;
  }
  return ERROR_SUCCESS;
}

std::u16string valueName(const char* name) { return name ? quendel::cp::ansiToUnicode(name) : std::u16string(); }

bool isStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// The data as the A functions hand it out: string types in the ANSI code page.
std::vector<std::uint8_t> externalData(const ValueEntry& v) {
  if (!isStringType(v.type)) return v.data;
  std::string ansi = quendel::cp::unicodeToAnsi(quendel::cp::fromUtf16Le(v.data));
  return std::vector<std::uint8_t>(ansi.begin(), ansi.end());
}

std::vector<std::uint8_t> internalData(DWORD type, const BYTE* data, DWORD size) {
  if (size == 0) return {};
  if (!isStringType(type)) return std::vector<std::uint8_t>(data, data + size);
  return quendel::cp::toUtf16Le(
      quendel::cp::ansiToUnicode(std::string_view(reinterpret_cast<const char*>(data), size)));
}

DWORD clampSize(std::size_t n) {
  return n > std::numeric_limits<DWORD>::max() ? std::numeric_limits<DWORD>::max() : static_cast<DWORD>(n);
}

// The hive's cache when the current read transaction may use it, bound to the code page
// the names and data it keeps are spelt in.
ReadCache* usableCache(Hive& hive) {
  if (!hive.cacheable()) return nullptr;
  ReadCache& cache = hive.cache();
  if (unsigned codePage = quendel::cp::ansiCodePage(); cache.codePage() != codePage) {
    cache.clear();
    cache.setCodePage(codePage);
  }
  return &cache;
}

// Not an answer: the cache does not know (the call reads the hive then).
constexpr LONG kNotCached = -1;

// The key at a path below from as the cache knows it, in a read transaction of its own:
// ERROR_SUCCESS with *id, ERROR_FILE_NOT_FOUND, or kNotCached.
LONG cachedKey(Hive& hive, std::int64_t from, std::string_view path, std::int64_t* id) {
  Hive::Transaction txn(hive, false);
  ReadCache* cache = txn.status() == ERROR_SUCCESS ? usableCache(hive) : nullptr;
  const std::int64_t* found = cache ? cache->findKey(from, path) : nullptr;
  if (!found) return kNotCached;
  if (*found == 0) return ERROR_FILE_NOT_FOUND;
  *id = *found;
  return ERROR_SUCCESS;
}

// Hands out a value's type and data as RegQueryValueExA does.
LONG deliverValue(DWORD type, const std::vector<std::uint8_t>& bytes, DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
  DWORD need = clampSize(bytes.size());
  if (lpData) {
    if (*lpcbData < need) {
      *lpcbData = need;
      if (lpType) *lpType = type;
      return ERROR_MORE_DATA;
    }
    if (need) std::memcpy(lpData, bytes.data(), need);
  }
  if (lpcbData) *lpcbData = need;
  if (lpType) *lpType = type;
  return ERROR_SUCCESS;
}

// Follows names from a key; ERROR_FILE_NOT_FOUND when one is missing.
LONG walk(Hive& hive, std::int64_t from, const Path& path, std::int64_t* id) {
  std::int64_t cur = from;
  for (const auto& name : path) {
    if (LONG st = hive.findSubKey(cur, name, &cur); st != ERROR_SUCCESS) return st;
  }
  *id = cur;
  return ERROR_SUCCESS;
}

// As walk(), creating missing keys; *created tells whether the last one was made.
LONG walkCreate(Hive& hive, std::int64_t from, const Path& path, std::int64_t* id, bool* created) {
  std::int64_t cur = from;
  *created = false;
  for (const auto& name : path) {
    LONG st = hive.findSubKey(cur, name, &cur);
    if (st == ERROR_FILE_NOT_FOUND) {
      st = hive.createSubKey(cur, name, &cur);
      *created = true;
    } else {
      *created = false;
    }
    if (st != ERROR_SUCCESS) return st;
  }
  *id = cur;
  return ERROR_SUCCESS;
}

struct Layer {
  Hive* hive;
  std::int64_t id;
};

// An entry of a merged list with the layer (index into ReadView::layers) it comes from.
template <typename Entry>
struct FromLayer {
  Entry entry;
  std::size_t layer = 0;
};

// The one merge of the classes view: the entries of the layers in order, one per name
// without regard to case, the first layer's entry of a name hiding the later ones'.
// Each name is folded once. Subkeys are then put in enumeration order (by folded name);
// values keep the order of their layers.
template <typename Entry>
std::vector<FromLayer<Entry>> mergeLayers(std::vector<std::vector<Entry>> perLayer, bool sortByName) {
  std::vector<FromLayer<Entry>> out;
  if (perLayer.size() == 1) {
    // One layer: its names are already distinct and in order.
    out.reserve(perLayer[0].size());
    for (auto& e : perLayer[0]) out.push_back(FromLayer<Entry>{std::move(e), 0});
    return out;
  }
  std::vector<std::string> folds;
  std::unordered_set<std::string> seen;
  for (std::size_t layer = 0; layer < perLayer.size(); ++layer) {
    for (auto& e : perLayer[layer]) {
      std::string fold = quendel::text::foldKey(e.name);
      if (!seen.insert(fold).second) continue;
      folds.push_back(std::move(fold));
      out.push_back(FromLayer<Entry>{std::move(e), layer});
    }
  }
  if (!sortByName) return out;
  std::vector<std::size_t> order(out.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return folds[a] < folds[b]; });
  std::vector<FromLayer<Entry>> sorted;
  sorted.reserve(out.size());
  for (std::size_t i : order) sorted.push_back(std::move(out[i]));
  return sorted;
}

// Every hive a view read, with its change stamp: equal stamps mean an unchanged view.
using ViewStamps = std::vector<std::pair<std::shared_ptr<Hive>, Hive::Stamp>>;

// The keys one call reads, with their read transactions: one key of one hive, or for
// the classes view the user's key (first) and the machine's key, whichever exist.
class ReadView {
 public:
  // The handle's own key; ERROR_KEY_DELETED when it no longer exists.
  LONG open(const KeyHandle& h) { return openPath(h, Path(), true); }

  // The key at a path below the handle's key.
  LONG openPath(const KeyHandle& h, const Path& sub, bool ownKey = false) {
    if (!h.classes) {
      hives_.push_back(h.hive);
      txn1_.emplace(*h.hive, false);
      if (LONG st = txn1_->status(); st != ERROR_SUCCESS) return st;
      if (LONG st = h.hive->keyExists(h.id); st != ERROR_SUCCESS) return st;
      std::int64_t id = 0;
      if (LONG st = walk(*h.hive, h.id, sub, &id); st != ERROR_SUCCESS) return st;
      layers.push_back(Layer{h.hive.get(), id});
      return ERROR_SUCCESS;
    }
    user_ = hiveFor(HiveId::CurrentUser);
    machine_ = hiveFor(HiveId::LocalMachine);
    hives_ = {user_, machine_};
    Path full = join(join(classesPrefix(), h.path), sub);
    txn1_.emplace(*user_, false);
    if (LONG st = addLayer(*user_, *txn1_, full); st != ERROR_SUCCESS) return st;
    txn2_.emplace(*machine_, false);
    if (LONG st = addLayer(*machine_, *txn2_, full); st != ERROR_SUCCESS) return st;
    if (layers.empty()) {
      // A key outside every layer: the handle's own key was deleted, or a subkey is missing.
      return ownKey && !h.path.empty() ? ERROR_KEY_DELETED : (ownKey ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    }
    return ERROR_SUCCESS;
  }

  bool hasUserLayer() const { return !layers.empty() && user_ && layers.front().hive == user_.get(); }

  // Subkeys of the view, merged and in enumeration order.
  LONG subKeys(std::vector<FromLayer<KeyEntry>>* out) {
    std::vector<std::vector<KeyEntry>> perLayer(layers.size());
    for (std::size_t i = 0; i < layers.size(); ++i) {
      if (LONG st = layers[i].hive->subKeys(layers[i].id, &perLayer[i]); st != ERROR_SUCCESS) return st;
    }
    *out = mergeLayers(std::move(perLayer), true);
    return ERROR_SUCCESS;
  }

  // Values of the view, merged and in enumeration order.
  LONG values(std::vector<FromLayer<ValueEntry>>* out) {
    std::vector<std::vector<ValueEntry>> perLayer(layers.size());
    for (std::size_t i = 0; i < layers.size(); ++i) {
      if (LONG st = layers[i].hive->values(layers[i].id, &perLayer[i]); st != ERROR_SUCCESS) return st;
    }
    *out = mergeLayers(std::move(perLayer), false);
    return ERROR_SUCCESS;
  }

  // As values(), without the data (what an enumeration keeps between calls).
  LONG valueNames(std::vector<FromLayer<ValueEntry>>* out) {
    if (LONG st = values(out); st != ERROR_SUCCESS) return st;
    for (auto& v : *out) std::vector<std::uint8_t>().swap(v.entry.data);
    return ERROR_SUCCESS;
  }

  LONG getValue(std::u16string_view name, ValueEntry* out) {
    for (const auto& l : layers) {
      LONG st = l.hive->getValue(l.id, name, out);
      if (st != ERROR_FILE_NOT_FOUND) return st;
    }
    return ERROR_FILE_NOT_FOUND;
  }

  LONG lastWriteTime(std::uint64_t* time) {
    *time = 0;
    for (const auto& l : layers) {
      std::uint64_t t = 0;
      if (LONG st = l.hive->lastWriteTime(l.id, &t); st != ERROR_SUCCESS) return st;
      *time = std::max(*time, t);
    }
    return ERROR_SUCCESS;
  }

  // The stamps of every hive this view read (inside its transactions).
  LONG stamps(ViewStamps* out) {
    out->clear();
    for (const auto& hive : hives_) {
      Hive::Stamp stamp;
      if (LONG st = hive->changeStamp(&stamp); st != ERROR_SUCCESS) return st;
      out->emplace_back(hive, stamp);
    }
    return ERROR_SUCCESS;
  }

  std::vector<Layer> layers;

 private:
  LONG addLayer(Hive& hive, Hive::Transaction& txn, const Path& full) {
    if (LONG st = txn.status(); st != ERROR_SUCCESS) return st;
    std::int64_t id = 0;
    LONG st = walk(hive, Hive::kRootKey, full, &id);
    if (st == ERROR_SUCCESS) layers.push_back(Layer{&hive, id});
    return st == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : st;
  }

  std::shared_ptr<Hive> user_, machine_;
  std::vector<std::shared_ptr<Hive>> hives_;
  std::optional<Hive::Transaction> txn1_, txn2_;
};

// The merged list an enumeration by index walks, kept per handle between calls so that
// index 0, 1, 2 ... costs linear time in all (see registry.h for when it is rebuilt).
// The hives are held weakly: a kept list neither keeps a replaced hive (and its
// connection) alive, nor can it mistake a new hive object for the one it was read from.
template <typename Entry>
struct KeptList {
  bool valid = false;
  std::vector<std::pair<std::weak_ptr<Hive>, Hive::Stamp>> stamps;
  std::vector<FromLayer<Entry>> entries;

  bool madeFrom(const ViewStamps& now) const {
    if (stamps.size() != now.size()) return false;
    for (std::size_t i = 0; i < now.size(); ++i) {
      if (stamps[i].first.lock() != now[i].first || !(stamps[i].second == now[i].second)) return false;
    }
    return true;
  }
  void drop() {
    valid = false;
    stamps.clear();
    std::vector<FromLayer<Entry>>().swap(entries);
  }
};

struct EnumLists {
  KeptList<KeyEntry> subKeys;
  KeptList<ValueEntry> values;  // names and layers only: the data is read at each call
};

// By handle value; the roots have theirs too. Dropped when the handle is closed.
std::unordered_map<std::uintptr_t, EnumLists> g_enumLists;

// Brings a kept list up to date for a call at index: rebuilt at index 0, when it was
// never made, and when a hive of the view changed since it was made (registry.h).
template <typename Entry>
LONG refreshList(KeptList<Entry>& kept, ReadView& view, DWORD index,
                 LONG (ReadView::*build)(std::vector<FromLayer<Entry>>*)) {
  ViewStamps now;
  if (LONG st = view.stamps(&now); st != ERROR_SUCCESS) return st;
  if (index != 0 && kept.valid && kept.madeFrom(now)) return ERROR_SUCCESS;
  kept.drop();
  if (LONG st = (view.*build)(&kept.entries); st != ERROR_SUCCESS) return st;
  kept.stamps.assign(now.begin(), now.end());
  kept.valid = true;
  return ERROR_SUCCESS;
}

// Where a write through the classes view goes (see registry.h).
std::shared_ptr<Hive> classesWriteTarget(bool userHasKey) {
  if (userHasKey) return hiveFor(HiveId::CurrentUser);
  auto machine = hiveFor(HiveId::LocalMachine);
  return machine->writable() ? machine : hiveFor(HiveId::CurrentUser);
}

// Runs a change on the handle's key (below it by sub, creating the path when create is
// set) in one write transaction. For the classes view the target hive is chosen first.
template <typename Change>
LONG writeKey(const KeyHandle& h, const Path& sub, bool create, Change&& change) {
  std::shared_ptr<Hive> hive = h.hive;
  std::int64_t base = h.id;
  Path path = sub;
  if (h.classes) {
    bool userHas = false;
    {
      ReadView view;
      LONG st = view.openPath(h, sub, sub.empty());
      if (st == ERROR_FILE_NOT_FOUND && create) st = ERROR_SUCCESS;
      if (st != ERROR_SUCCESS) return st;
      userHas = view.hasUserLayer();
    }
    hive = classesWriteTarget(userHas);
    base = Hive::kRootKey;
    path = join(join(classesPrefix(), h.path), sub);
    create = true;  // the key may exist only on the other side
  }
  Hive::Transaction txn(*hive, true);
  if (LONG st = txn.status(); st != ERROR_SUCCESS) return st;
  if (LONG st = hive->keyExists(base); st != ERROR_SUCCESS) return st;
  std::int64_t id = 0;
  bool created = false;
  LONG st = create ? walkCreate(*hive, base, path, &id, &created) : walk(*hive, base, path, &id);
  if (st != ERROR_SUCCESS) return st;
  if ((st = change(*hive, id, created)) != ERROR_SUCCESS) return st;
  return txn.commit();
}

LONG copyName(const std::u16string& name, char* buffer, DWORD* size) {
  std::string ansi = quendel::cp::unicodeToAnsi(name);
  if (ansi.size() + 1 > *size) return ERROR_MORE_DATA;
  std::memcpy(buffer, ansi.c_str(), ansi.size() + 1);
  *size = clampSize(ansi.size());
  return ERROR_SUCCESS;
}

void fileTimeOut(std::uint64_t t, FILETIME* ft) {
  if (!ft) return;
  constexpr int kDwordBits = 32;
  ft->dwLowDateTime = static_cast<DWORD>(t & std::numeric_limits<DWORD>::max());
  ft->dwHighDateTime = static_cast<DWORD>(t >> kDwordBits);
}

// One side a change through a handle may write: a hive and the key its path starts at.
struct Side {
  std::shared_ptr<Hive> hive;
  std::int64_t base = Hive::kRootKey;
};

// The sides of a handle's key below it by sub: the handle's one hive, or for the classes
// view the user's and the machine's, *path then leading from their roots.
std::vector<Side> sidesOf(const KeyHandle& h, const Path& sub, Path* path) {
  if (!h.classes) {
    *path = sub;
    return {Side{h.hive, h.id}};
  }
  *path = join(join(classesPrefix(), h.path), sub);
  return {Side{hiveFor(HiveId::CurrentUser)}, Side{hiveFor(HiveId::LocalMachine)}};
}

// True when the side has the key at path and holds(hive, key) agrees, read in a read
// transaction of its own; any failure counts as not holding it.
template <typename Holds>
bool sideHolds(const Side& side, const Path& path, Holds& holds) {
  Hive::Transaction txn(*side.hive, false);
  if (txn.status() != ERROR_SUCCESS || side.hive->keyExists(side.base) != ERROR_SUCCESS) return false;
  std::int64_t id = 0;
  return walk(*side.hive, side.base, path, &id) == ERROR_SUCCESS && holds(*side.hive, id);
}

// Probes each side, then writes the ones that hold what is to change: change(hive, key)
// runs on the key at path in a write transaction of that side's own. Only those sides
// are written, since the other may not be writable or not even exist yet. A side where
// the key or its contents went away before the write (another process) is passed over.
// ERROR_FILE_NOT_FOUND when no side was changed.
template <typename Holds, typename Change>
LONG probeThenWriteEachSide(const std::vector<Side>& sides, const Path& path, Holds&& holds, Change&& change) {
  bool changed = false;
  for (const Side& side : sides) {
    if (!sideHolds(side, path, holds)) continue;
    Hive& hive = *side.hive;
    Hive::Transaction txn(hive, true);
    if (LONG st = txn.status(); st != ERROR_SUCCESS) return st;
    if (LONG st = hive.keyExists(side.base); st != ERROR_SUCCESS) return st;
    std::int64_t id = 0;
    LONG st = walk(hive, side.base, path, &id);
    if (st == ERROR_SUCCESS) st = change(hive, id);
    if (st == ERROR_FILE_NOT_FOUND) continue;  // removed meanwhile by another process
    if (st != ERROR_SUCCESS) return st;
    if ((st = txn.commit()) != ERROR_SUCCESS) return st;
    changed = true;
  }
  return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

// Deletes a key below a handle: its own key when sub is empty. recursive removes the
// whole tree; otherwise a key with subkeys (or with values, when emptyOnly) is refused.
LONG deleteKey(HKEY hKey, const char* sub, bool recursive, bool emptyOnly) {
  const KeyHandle* named = nullptr;
  if (LONG st = resolve(hKey, &named); st != ERROR_SUCCESS) return st;
  const KeyHandle& h = *named;
  Path path;
  if (LONG st = splitPath(sub, false, &path); st != ERROR_SUCCESS) return st;
  if (path.empty() && (h.root || (h.classes && h.path.empty()))) return ERROR_ACCESS_DENIED;
  // Look first, so that a missing key neither creates a hive nor needs write access.
  {
    ReadView view;
    if (LONG st = view.openPath(h, path, path.empty()); st != ERROR_SUCCESS) return st;
    if (view.layers.empty()) return path.empty() ? ERROR_KEY_DELETED : ERROR_FILE_NOT_FOUND;
    if (!recursive) {
      for (const auto& l : view.layers) {
        std::int64_t keys = 0, values = 0;
        if (LONG st = l.hive->countChildren(l.id, &keys, &values); st != ERROR_SUCCESS) return st;
        if (keys > 0 || (emptyOnly && values > 0)) return ERROR_ACCESS_DENIED;
      }
    }
  }
  Path walkPath;
  std::vector<Side> sides = sidesOf(h, path, &walkPath);
  return probeThenWriteEachSide(
      sides, walkPath, [](Hive&, std::int64_t) { return true; },
      [&](Hive& hive, std::int64_t id) {
        if (!recursive) {
          std::int64_t keys = 0, values = 0;
          if (LONG st = hive.countChildren(id, &keys, &values); st != ERROR_SUCCESS) return st;
          if (keys > 0 || (emptyOnly && values > 0)) return ERROR_ACCESS_DENIED;
        }
        return hive.deleteTree(id);
      });
}

// Subkey number index of the handle's key, from its kept list; *time (optional)
// receives the subkey's last write time.
LONG subKeyAt(HKEY hKey, const KeyHandle& h, DWORD index, std::uint64_t* time, KeyEntry* out) {
  ReadView view;
  if (LONG st = view.open(h); st != ERROR_SUCCESS) return st;
  if (view.layers.empty()) return ERROR_NO_MORE_ITEMS;
  auto& kept = g_enumLists[reinterpret_cast<std::uintptr_t>(hKey)].subKeys;
  if (LONG st = refreshList(kept, view, index, &ReadView::subKeys); st != ERROR_SUCCESS) return st;
  if (index >= kept.entries.size()) {
    kept.drop();  // the enumeration is over
    return ERROR_NO_MORE_ITEMS;
  }
  const FromLayer<KeyEntry>& found = kept.entries[index];
  if (time) {
    if (LONG st = view.layers[found.layer].hive->lastWriteTime(found.entry.id, time); st != ERROR_SUCCESS) return st;
  }
  *out = found.entry;
  return ERROR_SUCCESS;
}

// Value number index of the handle's key: its name from the kept list, its data read now.
LONG valueAt(HKEY hKey, const KeyHandle& h, DWORD index, ValueEntry* out) {
  ReadView view;
  if (LONG st = view.open(h); st != ERROR_SUCCESS) return st;
  if (view.layers.empty()) return ERROR_NO_MORE_ITEMS;
  auto& kept = g_enumLists[reinterpret_cast<std::uintptr_t>(hKey)].values;
  if (LONG st = refreshList(kept, view, index, &ReadView::valueNames); st != ERROR_SUCCESS) return st;
  if (index >= kept.entries.size()) {
    kept.drop();  // the enumeration is over
    return ERROR_NO_MORE_ITEMS;
  }
  const FromLayer<ValueEntry>& found = kept.entries[index];
  const Layer& layer = view.layers[found.layer];
  return layer.hive->getValue(layer.id, found.entry.name, out);
}

}  // namespace

HKEY rootFromLong(std::int32_t root) {
  return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(static_cast<std::uint32_t>(root)));
}

LONG RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(g_mutex);
  const KeyHandle* named = nullptr;
  if (LONG st = resolve(hKey, &named); st != ERROR_SUCCESS) return st;
  const KeyHandle& h = *named;
  // Keys opened for reading come from the cache of the hive while it is current.
  const std::string_view spelt = lpSubKey ? lpSubKey : "";
  const bool cached = !h.classes && !(samDesired & kWriteRights);
  KeyHandle result;
  result.access = samDesired;
  if (cached) {
    std::int64_t id = 0;
    if (LONG st = cachedKey(*h.hive, h.id, spelt, &id); st != kNotCached) {
      if (st != ERROR_SUCCESS) return st;
      result.hive = h.hive;
      result.id = id;
      *phkResult = newHandle(std::move(result));
      return ERROR_SUCCESS;
    }
  }
  Path path;
  if (LONG st = splitPath(lpSubKey, false, &path); st != ERROR_SUCCESS) return st;
  {
    ReadView view;
    LONG st = view.openPath(h, path, path.empty());
    if (cached && (st == ERROR_SUCCESS || st == ERROR_FILE_NOT_FOUND)) {
      if (ReadCache* cache = usableCache(*h.hive))
        cache->putKey(h.id, spelt, st == ERROR_SUCCESS ? view.layers.front().id : 0);
    }
    if (st != ERROR_SUCCESS) return st;
    if (h.classes) {
      result.classes = true;
      result.path = join(h.path, path);
    } else {
      result.hive = h.hive;
      result.id = view.layers.front().id;
    }
  }
  if (samDesired & kWriteRights) {
    bool canWrite = h.classes ? (hiveFor(HiveId::CurrentUser)->writable() || hiveFor(HiveId::LocalMachine)->writable())
                              : h.hive->writable();
    if (!canWrite) return ERROR_ACCESS_DENIED;
  }
  *phkResult = newHandle(std::move(result));
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY hKey, const char* lpSubKey, DWORD, char*, DWORD dwOptions, REGSAM samDesired, const void*,
                     PHKEY phkResult, DWORD* lpdwDisposition) {
  if (!phkResult || !lpSubKey) return ERROR_INVALID_PARAMETER;
  if (dwOptions != REG_OPTION_NON_VOLATILE) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(g_mutex);
  const KeyHandle* named = nullptr;
  if (LONG st = resolve(hKey, &named); st != ERROR_SUCCESS) return st;
  const KeyHandle& h = *named;
  Path path;
  if (LONG st = splitPath(lpSubKey, true, &path); st != ERROR_SUCCESS) return st;
  KeyHandle result;
  result.access = samDesired;
  result.classes = h.classes;
  result.path = join(h.path, path);
  result.hive = h.hive;
  bool canWrite = h.classes ? (hiveFor(HiveId::CurrentUser)->writable() || hiveFor(HiveId::LocalMachine)->writable())
                            : h.hive->writable();
  {
    ReadView view;
    LONG st = view.openPath(h, path, path.empty());
    if (st == ERROR_SUCCESS && !view.layers.empty()) {
      if ((samDesired & kWriteRights) && !canWrite) return ERROR_ACCESS_DENIED;
      result.id = view.layers.front().id;
      *phkResult = newHandle(std::move(result));
      if (lpdwDisposition) *lpdwDisposition = REG_OPENED_EXISTING_KEY;
      return ERROR_SUCCESS;
    }
    if (st != ERROR_FILE_NOT_FOUND && st != ERROR_SUCCESS) return st;
  }
  if (!h.root && !(h.access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
  if (!canWrite) return ERROR_ACCESS_DENIED;
  bool created = false;
  std::int64_t id = 0;
  LONG st = writeKey(h, path, true, [&](Hive&, std::int64_t key, bool made) {
    id = key;
    created = made;
    return ERROR_SUCCESS;
  });
  if (st != ERROR_SUCCESS) return st;
  result.id = id;
  *phkResult = newHandle(std::move(result));
  if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto value = reinterpret_cast<std::uintptr_t>(hKey);
  if (isRoot(value)) return isMissingRoot(hKey) ? ERROR_INVALID_HANDLE : ERROR_SUCCESS;
  if (!g_enumLists.empty()) g_enumLists.erase(value);
  return g_handles.erase(value) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD*, DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
  if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(g_mutex);
  const KeyHandle* named = nullptr;
  if (LONG st = resolve(hKey, &named); st != ERROR_SUCCESS) return st;
  const KeyHandle& h = *named;
  if (!(h.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  const std::string_view spelt = lpValueName ? lpValueName : "";
  if (!h.classes) {
    Hive::Transaction txn(*h.hive, false);
    ReadCache* cache = txn.status() == ERROR_SUCCESS ? usableCache(*h.hive) : nullptr;
    if (const ReadCache::Value* v = cache ? cache->findValue(h.id, spelt) : nullptr) {
      if (v->status != ERROR_SUCCESS) return v->status;
      return deliverValue(v->type, v->data, lpType, lpData, lpcbData);
    }
  }
  ReadCache::Value found;
  {
    ReadView view;
    if (LONG st = view.open(h); st != ERROR_SUCCESS) return st;
    ValueEntry v;
    found.status = view.getValue(valueName(lpValueName), &v);
    if (found.status == ERROR_SUCCESS) {
      found.type = v.type;
      found.data = externalData(v);
    }
    if (!h.classes && (found.status == ERROR_SUCCESS || found.status == ERROR_FILE_NOT_FOUND)) {
      if (ReadCache* cache = usableCache(*h.hive)) cache->putValue(h.id, spelt, found);
    }
    if (found.status != ERROR_SUCCESS) return found.status;
  }
  return deliverValue(found.type, found.data, lpType, lpData, lpcbData);
}

LONG RegSetValueExA(HKEY hKey, const char* lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
  if (!lpData && cbData > 0) return ERROR_NOACCESS;
  std::lock_guard<std::mutex> lock(g_mutex);
  const KeyHandle* named = nullptr;
  if (LONG st = resolve(hKey, &named); st != ERROR_SUCCESS) return st;
  const KeyHandle& h = *named;
  if (!(h.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  std::u16string name = valueName(lpValueName);
  if (name.size() > kMaxValueNameChars) return ERROR_INVALID_PARAMETER;
  std::vector<std::uint8_t> data = internalData(dwType, lpData, cbData);
  return writeKey(h, Path(), false, [&](Hive& hive, std::int64_t key, bool) {
    return hive.setValue(key, name, dwType, data.data(), data.size());
  });
}

LONG RegDeleteValueA(HKEY hKey, const char* lpValueName) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const KeyHandle* named = nullptr;
  if (LONG st = resolve(hKey, &named); st != ERROR_SUCCESS) return st;
  const KeyHandle& h = *named;
  if (!(h.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  std::u16string name = valueName(lpValueName);
  // Look first: a missing value neither creates a hive nor needs write access.
  {
    ReadView view;
    if (LONG st = view.open(h); st != ERROR_SUCCESS) return st;
    bool found = false;
    for (const auto& l : view.layers) {
      ValueEntry v;
      LONG st = l.hive->getValue(l.id, name, &v);
      if (st == ERROR_SUCCESS)
        found = true;
      else if (st != ERROR_FILE_NOT_FOUND)
        return st;
    }
    if (!found) return ERROR_FILE_NOT_FOUND;
  }
  if (!h.classes) {
    return writeKey(h, Path(), false, [&](Hive& hive, std::int64_t key, bool) { return hive.deleteValue(key, name); });
  }
  // The classes view: remove the value from every side that holds it.
  Path path;
  std::vector<Side> sides = sidesOf(h, Path(), &path);
  return probeThenWriteEachSide(
      sides, path,
      [&](Hive& hive, std::int64_t key) {
        ValueEntry v;
        return hive.getValue(key, name, &v) == ERROR_SUCCESS;
      },
      [&](Hive& hive, std::int64_t key) { return hive.deleteValue(key, name); });
}

LONG RegDeleteKeyA(HKEY hKey, const char* lpSubKey) {
  if (!lpSubKey) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(g_mutex);
  return deleteKey(hKey, lpSubKey, false, false);
}

LONG SHDeleteEmptyKeyA(HKEY hKey, const char* pszSubKey) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return deleteKey(hKey, pszSubKey, false, true);
}

LONG SHDeleteKeyA(HKEY hKey, const char* pszSubKey) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return deleteKey(hKey, pszSubKey, true, false);
}

LONG RegQueryInfoKeyA(HKEY hKey, char* lpClass, DWORD* lpcchClass, DWORD*, DWORD* lpcSubKeys, DWORD* lpcbMaxSubKeyLen,
                      DWORD* lpcbMaxClassLen, DWORD* lpcValues, DWORD* lpcbMaxValueNameLen, DWORD* lpcbMaxValueLen,
                      DWORD* lpcbSecurityDescriptor, FILETIME* lpftLastWriteTime) {
  if (lpClass && !lpcchClass) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(g_mutex);
  const KeyHandle* named = nullptr;
  if (LONG st = resolve(hKey, &named); st != ERROR_SUCCESS) return st;
  const KeyHandle& h = *named;
  if (!(h.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  std::vector<FromLayer<KeyEntry>> keys;
  std::vector<FromLayer<ValueEntry>> vals;
  std::uint64_t time = 0;
  {
    ReadView view;
    if (LONG st = view.open(h); st != ERROR_SUCCESS) return st;
    if (LONG st = view.subKeys(&keys); st != ERROR_SUCCESS) return st;
    if (LONG st = view.values(&vals); st != ERROR_SUCCESS) return st;
    if (LONG st = view.lastWriteTime(&time); st != ERROR_SUCCESS) return st;
  }
  std::size_t maxKey = 0, maxName = 0, maxData = 0;
  for (const auto& k : keys) maxKey = std::max(maxKey, quendel::cp::unicodeToAnsi(k.entry.name).size());
  for (const auto& v : vals) {
    maxName = std::max(maxName, quendel::cp::unicodeToAnsi(v.entry.name).size());
    maxData = std::max(maxData, externalData(v.entry).size());
  }
  if (lpClass && *lpcchClass > 0) lpClass[0] = '\0';
  if (lpcchClass) *lpcchClass = 0;
  if (lpcSubKeys) *lpcSubKeys = clampSize(keys.size());
  if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = clampSize(maxKey);
  if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
  if (lpcValues) *lpcValues = clampSize(vals.size());
  if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = clampSize(maxName);
  if (lpcbMaxValueLen) *lpcbMaxValueLen = clampSize(maxData);
  if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
  fileTimeOut(time, lpftLastWriteTime);
  return ERROR_SUCCESS;
}

LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD*, char* lpClass, DWORD* lpcchClass,
                   FILETIME* lpftLastWriteTime) {
  if (!lpName || !lpcchName) return ERROR_INVALID_PARAMETER;
  if (lpClass && !lpcchClass) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(g_mutex);
  const KeyHandle* named = nullptr;
  if (LONG st = resolve(hKey, &named); st != ERROR_SUCCESS) return st;
  const KeyHandle& h = *named;
  if (!(h.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  KeyEntry key;
  std::uint64_t time = 0;
  if (LONG st = subKeyAt(hKey, h, dwIndex, lpftLastWriteTime ? &time : nullptr, &key); st != ERROR_SUCCESS) return st;
  if (LONG st = copyName(key.name, lpName, lpcchName); st != ERROR_SUCCESS) return st;
  if (lpClass && *lpcchClass > 0) lpClass[0] = '\0';
  if (lpcchClass) *lpcchClass = 0;
  fileTimeOut(time, lpftLastWriteTime);
  return ERROR_SUCCESS;
}

LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, char* lpName, DWORD cchName) {
  DWORD size = cchName;
  return RegEnumKeyExA(hKey, dwIndex, lpName, &size, nullptr, nullptr, nullptr, nullptr);
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName, DWORD*, DWORD* lpType,
                   BYTE* lpData, DWORD* lpcbData) {
  if (!lpValueName || !lpcchValueName) return ERROR_INVALID_PARAMETER;
  if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(g_mutex);
  const KeyHandle* named = nullptr;
  if (LONG st = resolve(hKey, &named); st != ERROR_SUCCESS) return st;
  const KeyHandle& h = *named;
  if (!(h.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  ValueEntry v;
  if (LONG st = valueAt(hKey, h, dwIndex, &v); st != ERROR_SUCCESS) return st;
  std::vector<std::uint8_t> bytes = externalData(v);
  DWORD need = clampSize(bytes.size());
  std::string ansi = quendel::cp::unicodeToAnsi(v.name);
  if (ansi.size() + 1 > *lpcchValueName) return ERROR_MORE_DATA;
  if (lpData && *lpcbData < need) {
    *lpcbData = need;
    if (lpType) *lpType = v.type;
    return ERROR_MORE_DATA;
  }
  std::memcpy(lpValueName, ansi.c_str(), ansi.size() + 1);
  *lpcchValueName = clampSize(ansi.size());
  if (lpData && need) std::memcpy(lpData, bytes.data(), need);
  if (lpcbData) *lpcbData = need;
  if (lpType) *lpType = v.type;
  return ERROR_SUCCESS;
}

namespace quendel::registry {

LONG hiveChangeCount(HKEY root, std::uint64_t* count) {
  if (!count) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!isRoot(reinterpret_cast<std::uintptr_t>(root))) return ERROR_INVALID_HANDLE;
  const KeyHandle* named = nullptr;
  if (LONG st = resolve(root, &named); st != ERROR_SUCCESS) return st;
  const KeyHandle& h = *named;
  if (h.classes) {
    *count = ++g_uncountedChanges;  // two hives: never taken for unchanged
    return ERROR_SUCCESS;
  }
  Hive::Transaction txn(*h.hive, false);
  if (LONG st = txn.status(); st != ERROR_SUCCESS) return st;
  *count = h.hive->changeCount();
  return ERROR_SUCCESS;
}

LONG queryValueAt(HKEY hKey, const char* lpSubKey, const char* lpValueName, DWORD* lpType, BYTE* lpData,
                  DWORD* lpcbData) {
  if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(g_mutex);
  const KeyHandle* named = nullptr;
  if (LONG st = resolve(hKey, &named); st != ERROR_SUCCESS) return st;
  const KeyHandle& h = *named;
  const std::string_view spelt = lpSubKey ? lpSubKey : "";
  const std::string_view name = lpValueName ? lpValueName : "";
  if (!h.classes) {
    Hive::Transaction txn(*h.hive, false);
    ReadCache* cache = txn.status() == ERROR_SUCCESS ? usableCache(*h.hive) : nullptr;
    if (const ReadCache::Value* v = cache ? cache->findValueAt(h.id, spelt, name) : nullptr) {
      if (v->status != ERROR_SUCCESS) return v->status;
      return deliverValue(v->type, v->data, lpType, lpData, lpcbData);
    }
  }
  Path path;
  if (LONG st = splitPath(lpSubKey, false, &path); st != ERROR_SUCCESS) return st;
  ReadCache::Value found;
  {
    ReadView view;
    found.status = view.openPath(h, path, path.empty());
    ValueEntry v;
    if (found.status == ERROR_SUCCESS) found.status = view.getValue(valueName(lpValueName), &v);
    if (found.status == ERROR_SUCCESS) {
      found.type = v.type;
      found.data = externalData(v);
    }
    // A missing key and a missing value answer alike, and both are kept.
    if (!h.classes && (found.status == ERROR_SUCCESS || found.status == ERROR_FILE_NOT_FOUND)) {
      if (ReadCache* cache = usableCache(*h.hive)) cache->putValueAt(h.id, spelt, name, found);
    }
    if (found.status != ERROR_SUCCESS) return found.status;
  }
  return deliverValue(found.type, found.data, lpType, lpData, lpcbData);
}

}  // namespace quendel::registry

LONG RegFlushKey(HKEY hKey) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const KeyHandle* named = nullptr;
  return resolve(hKey, &named);
}
