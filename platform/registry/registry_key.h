// An open registry key that closes itself: the one key handle every caller of the
// registry holds.
//
//   RegKey key;
//   if (LONG st = key.open(HKEY_CLASSES_ROOT, "CLSID\\{...}", KEY_QUERY_VALUE); st != ERROR_SUCCESS) return st;
//   std::string path;
//   LONG st = key.readString("", &path);   // closed when key goes out of scope
//
// Move-only; a moved-from or default key holds nothing. Every call that can fail returns
// the registry's status (registry.h), which may not be dropped; outputs are untouched on
// failure. Opening or creating into a key that holds one closes the old one first, and
// on failure the key holds nothing.
#pragma once

#include <string>

#include "platform/registry/registry.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::registry {

class RegKey {
 public:
  RegKey() = default;
  // Takes over an open handle (closed on destruction).
  explicit RegKey(HKEY key) : key_(key) {}
  ~RegKey() { close(); }
  RegKey(RegKey&& other) noexcept : key_(other.release()) {}
  RegKey& operator=(RegKey&& other) noexcept;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  [[nodiscard]] LONG open(HKEY parent, const char* subKey, REGSAM access);
  [[nodiscard]] LONG create(HKEY parent, const char* subKey, REGSAM access, DWORD* disposition = nullptr);
  void close();

  bool valid() const { return key_ != nullptr; }
  HKEY handle() const { return key_; }
  // Gives the handle up without closing it.
  [[nodiscard]] HKEY release();

  // A REG_SZ value up to its first zero (ERROR_UNSUPPORTED_TYPE for another type).
  [[nodiscard]] LONG readString(const char* name, std::string* out) const;
  // Writes a REG_SZ value with its terminating zero.
  [[nodiscard]] LONG writeString(const char* name, const std::string& value) const;

 private:
  HKEY key_ = nullptr;
};

}  // namespace quendel::registry

QUENDEL_EXPORT_END
