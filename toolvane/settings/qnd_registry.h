// qndRegistry: single registry values of four kinds, keys, and the names of a key's
// subkeys and values, over the platform's Reg*A functions.
//
//   qndRegistry reg;
//   bool ok = false;
//   reg.SetValue(kRootCurrentUser, u"Software\\Demo", u"Count", rtLong, Variant(LONG{5}));
//   LONG n = reg.GetValue(kRootCurrentUser, u"Software\\Demo", u"Count", rtLong, &ok).toLong();
//
// Rules. Every member opens and closes its own key (GetValue reads by path, without one).
// No member raises for a registry failure: it returns False, Nothing (a null
// Collection) or the type's empty value (registry_values.h) with *Success False, and
// LastRegError holds the Win32 status of the last registry call the member made
// (GetValue: its last read; enumerations: 0 after a complete run, 259 when the list
// ended early). Members that
// stop before any registry call (invalid ValueType, a Value of the wrong subtype) leave
// LastRegError as it was. Value conversions and the choices for zero-length data, short
// rtLong data and unallocated rtBinary arrays: registry_values.h.
//
// Names. Key paths and value names go to the registry in the ANSI code page. A name the
// code page cannot hold gives ERROR_NO_UNICODE_TRANSLATION (1113), and one holding a NUL
// character ERROR_INVALID_PARAMETER (87), instead of reaching another key than the one
// named; so does string data that the code page cannot hold (SetValue). Limits of the
// registry itself (255-character key names, damaged hives: 1009, no right: 5) come back
// as its status.
//
// GetValue reads a value in one registry call without opening a key
// (registry::queryValueAt), into a 256-byte buffer first; it asks again with a larger
// buffer only when the value does not fit, and re-reads a value that grew meanwhile
// (another process wrote it), a few times, instead of failing with ERROR_MORE_DATA.
// LastRegError is the status of its last call either way.
#pragma once

#include <memory>
#include <string>

#include "automation/collection.h"
#include "support/export.h"
#include "toolvane/frame/library_object.h"
#include "toolvane/settings/registry_values.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

// The predefined roots as RegistryRoot_Const holds them (the platform's HKEY_* are macros).
inline constexpr LONG kRootClassesRoot = static_cast<LONG>(0x80000000u);
inline constexpr LONG kRootCurrentUser = static_cast<LONG>(0x80000001u);
inline constexpr LONG kRootLocalMachine = static_cast<LONG>(0x80000002u);
inline constexpr LONG kRootUsers = static_cast<LONG>(0x80000003u);

class qndRegistry : public LibraryObject {
 public:
  LONG LastRegError() const { return lastRegError_; }

  // Success (optional) receives True when the value was read.
  Variant GetValue(LONG RegistryRoot, const String& SubKey, const String& ValueName = {}, LONG ValueType = rtString,
                   bool* Success = nullptr);
  // As GetValue, for a key path already converted by AnsiName (callers that read one key
  // often keep its ANSI form).
  Variant GetValueOfAnsiKey(LONG RegistryRoot, const std::string& AnsiSubKey, const String& ValueName = {},
                            LONG ValueType = rtString, bool* Success = nullptr);
  // The ANSI form of a key path or value name; 0, or the status that refuses it (1113, 87)
  // with *out untouched.
  [[nodiscard]] static LONG AnsiName(const String& name, std::string* out);
  // KeyAlreadyExist (optional) receives whether SubKey existed before the call; it is
  // left alone when the key could not be opened or created.
  bool SetValue(LONG RegistryRoot, const String& SubKey, const String& ValueName = {}, LONG ValueType = rtString,
                const Variant& Value = Variant(String()), bool* KeyAlreadyExist = nullptr);
  bool DeleteValue(LONG RegistryRoot, const String& SubKey, const String& ValueName = {});
  // Removes SubKey only when it has neither subkeys nor values.
  bool DeleteKey(LONG RegistryRoot, const String& SubKey);
  // Removes SubKey with everything below it.
  bool DeleteKeyRecurse(LONG RegistryRoot, const String& SubKey);
  // The names in the registry's enumeration order; null (Nothing) on failure.
  std::shared_ptr<Collection> GetSubKeysNames(LONG RegistryRoot, const String& SubKey);
  // As GetSubKeysNames for value names; the default value is listed as "".
  std::shared_ptr<Collection> GetValuesNames(LONG RegistryRoot, const String& SubKey);
  bool CreateKey(LONG RegistryRoot, const String& SubKey, bool* KeyAlreadyExist = nullptr);
  // True when SubKey opens for reading its values.
  bool IsKeyExist(LONG RegistryRoot, const String& SubKey);

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

 private:
  enum class Listing { SubKeys, Values };
  std::shared_ptr<Collection> listNames(LONG root, const String& subKey, Listing what);
  bool deleteKey(LONG root, const String& subKey, bool recurse);

  LONG lastRegError_ = 0;
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
