// What reads of one hive found, kept while nothing changed the hive.
//
//   if (const auto* id = cache.findKey(parent, "Software\\Kestrane")) ...   // 0: no such key
//   cache.putKey(parent, "Software\\Kestrane", id);
//   if (const auto* v = cache.findValueAt(parent, "Software\\Kestrane", "Count")) ...
//
// Keys are looked up by the path and value names exactly as the caller spelt them in the
// ANSI code page (one spelling, one entry), so a hit needs no conversion or case folding;
// the cache is therefore bound to one code page (clear() it when that changes). A value
// is kept as the calls hand it out: status (found or not), type and data in ANSI form.
// A value may also be kept under the path of its key below another key (findValueAt), so
// that a read by path is one look-up, with no key opened.
// Bounded: when full it starts again empty. The hive decides when it is valid (hive.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::registry {

class ReadCache {
 public:
  struct Value {
    LONG status = 0;  // ERROR_SUCCESS or ERROR_FILE_NOT_FOUND
    DWORD type = 0;
    std::vector<std::uint8_t> data;
  };

  // The key at path below parent: its id, 0 when it does not exist; nullptr when unknown.
  const std::int64_t* findKey(std::int64_t parent, std::string_view path);
  void putKey(std::int64_t parent, std::string_view path, std::int64_t id);
  const Value* findValue(std::int64_t key, std::string_view name);
  void putValue(std::int64_t key, std::string_view name, Value value);
  // The value name at the key path below from (ERROR_FILE_NOT_FOUND when either is missing).
  const Value* findValueAt(std::int64_t from, std::string_view path, std::string_view name);
  void putValueAt(std::int64_t from, std::string_view path, std::string_view name, Value value);

  void clear();
  unsigned codePage() const { return codePage_; }
  void setCodePage(unsigned codePage) { codePage_ = codePage; }
  std::size_t size() const { return keys_.size() + values_.size() + valuesAtCount_; }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
  };
  template <typename T>
  using Map = std::unordered_map<std::string, T, Hash, std::equal_to<>>;

  // The entries kept at most before starting again: enough for every setting a program
  // reads, small enough that a scan of a large hive cannot hold much memory.
  static constexpr std::size_t kMaxEntries = 8192;

  std::string_view lookupKey(std::int64_t id, std::string_view text);
  void makeRoom();

  Map<std::int64_t> keys_;
  Map<Value> values_;
  // Values by path: the key path (with the id it starts from), then the value name. The
  // path of the last look-up is remembered, since a program reads several values of one
  // key in a row; a map's elements stay where they are until erased, so the pointer holds
  // until clear().
  Map<Map<Value>> valuesAt_;
  std::size_t valuesAtCount_ = 0;
  std::int64_t lastFrom_ = 0;
  std::string lastPath_;
  Map<Value>* lastValues_ = nullptr;
  std::string scratch_;  // the composite key of the last lookup
  unsigned codePage_ = 0;
};

}  // namespace quendel::registry

QUENDEL_EXPORT_END
