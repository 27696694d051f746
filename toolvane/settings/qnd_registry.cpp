#include "toolvane/settings/qnd_registry.h"

#include <array>
#include <string>

#include "platform/registry/registry.h"
#include "platform/registry/registry_key.h"
#include "support/codepage.h"
#include "support/quendelsupport.h"

namespace quendel::toolvane {

namespace rv = registry_values;

namespace {

LONG ansiName(const String& name, std::string* out) { return qndRegistry::AnsiName(name, out); }

LONG ansiNames(const String& subKey, std::string* key, const String& valueName, std::string* name) {
  LONG st = ansiName(subKey, key);
  return st != ERROR_SUCCESS ? st : ansiName(valueName, name);
}

constexpr int kGrowRetries = 4;
constexpr std::size_t kFirstReadSize = 256;

}  // namespace

LONG qndRegistry::AnsiName(const String& name, std::string* out) {
  if (name.find(u'\0') != String::npos) return ERROR_INVALID_PARAMETER;
  bool lossy = false;
  std::string ansi = cp::unicodeToAnsi(name, &lossy);
  if (lossy) return kErrorNoUnicodeTranslation;
  *out = std::move(ansi);
  return ERROR_SUCCESS;
}

Variant qndRegistry::GetValue(LONG RegistryRoot, const String& SubKey, const String& ValueName, LONG ValueType,
                              bool* Success) {
  DWORD registryType = 0;
  if (!rv::RegistryTypeFor(ValueType, &registryType)) {
    if (Success) *Success = false;
    return Variant();
  }
  std::string key;
  if ((lastRegError_ = ansiName(SubKey, &key)) != ERROR_SUCCESS) {
    if (Success) *Success = false;
    return rv::EmptyValueFor(ValueType);
  }
  return GetValueOfAnsiKey(RegistryRoot, key, ValueName, ValueType, Success);
}

Variant qndRegistry::GetValueOfAnsiKey(LONG RegistryRoot, const std::string& AnsiSubKey, const String& ValueName,
                                       LONG ValueType, bool* Success) {
  DWORD registryType = 0;
  if (!rv::RegistryTypeFor(ValueType, &registryType)) {
    if (Success) *Success = false;
    return Variant();
  }
  if (Success) *Success = true;
  auto failed = [&] {
    if (Success) *Success = false;
    return rv::EmptyValueFor(ValueType);
  };

  std::string name;
  if ((lastRegError_ = ansiName(ValueName, &name)) != ERROR_SUCCESS) return failed();
  const HKEY root = rootFromLong(RegistryRoot);

  // Most values are small: the first query reads into a buffer of this size and learns the
  // size only when the value does not fit, which saves a registry call per read.
  // The first buffer is on the stack; a larger one is allocated only for a larger value.
  std::array<BYTE, kFirstReadSize> first;  // NOLINT(cppcoreguidelines-pro-type-member-init): written before read
  std::vector<BYTE> grown;
  BYTE* data = first.data();
  DWORD capacity = static_cast<DWORD>(first.size());
  for (int attempt = 0;; ++attempt) {
    DWORD size = capacity;
    lastRegError_ = registry::queryValueAt(root, AnsiSubKey.c_str(), name.c_str(), nullptr, data, &size);
    if (lastRegError_ == ERROR_MORE_DATA && attempt + 1 < kGrowRetries) {  // larger, or rewritten meanwhile
      grown.assign(size, 0);
      data = grown.data();
      capacity = size;
      continue;
    }
    if (lastRegError_ != ERROR_SUCCESS) return failed();
    return rv::BytesToValue(data, std::min(size, capacity), ValueType);
  }
}

bool qndRegistry::SetValue(LONG RegistryRoot, const String& SubKey, const String& ValueName, LONG ValueType,
                           const Variant& Value, bool* KeyAlreadyExist) {
  DWORD registryType = 0;
  if (!rv::RegistryTypeFor(ValueType, &registryType)) return false;
  if (!rv::IsValueOfType(Value, ValueType)) return false;

  std::string key, name;
  std::vector<BYTE> bytes;
  LONG st = ansiNames(SubKey, &key, ValueName, &name);
  if (st == ERROR_SUCCESS) st = rv::ValueToBytes(Value, ValueType, &bytes);
  if (st != ERROR_SUCCESS) {
    lastRegError_ = st;
    return false;
  }

  registry::RegKey k;
  DWORD disposition = 0;
  lastRegError_ = k.create(rootFromLong(RegistryRoot), key.c_str(), KEY_SET_VALUE, &disposition);
  if (lastRegError_ != ERROR_SUCCESS) return false;
  if (KeyAlreadyExist) *KeyAlreadyExist = disposition == REG_OPENED_EXISTING_KEY;
  lastRegError_ =
      RegSetValueExA(k.handle(), name.c_str(), 0, registryType, bytes.data(), static_cast<DWORD>(bytes.size()));
  return lastRegError_ == ERROR_SUCCESS;
}

bool qndRegistry::DeleteValue(LONG RegistryRoot, const String& SubKey, const String& ValueName) {
  std::string key, name;
  if ((lastRegError_ = ansiNames(SubKey, &key, ValueName, &name)) != ERROR_SUCCESS) return false;
  registry::RegKey k;
  lastRegError_ = k.open(rootFromLong(RegistryRoot), key.c_str(), KEY_SET_VALUE);
  if (lastRegError_ != ERROR_SUCCESS) return false;
  lastRegError_ = RegDeleteValueA(k.handle(), name.c_str());
  return lastRegError_ == ERROR_SUCCESS;
}

bool qndRegistry::deleteKey(LONG root, const String& subKey, bool recurse) {
  std::string key;
  if ((lastRegError_ = ansiName(subKey, &key)) != ERROR_SUCCESS) return false;
  lastRegError_ =
      recurse ? SHDeleteKeyA(rootFromLong(root), key.c_str()) : SHDeleteEmptyKeyA(rootFromLong(root), key.c_str());
  return lastRegError_ == ERROR_SUCCESS;
}

bool qndRegistry::DeleteKey(LONG RegistryRoot, const String& SubKey) { return deleteKey(RegistryRoot, SubKey, false); }

bool qndRegistry::DeleteKeyRecurse(LONG RegistryRoot, const String& SubKey) {
  return deleteKey(RegistryRoot, SubKey, true);
}

std::shared_ptr<Collection> qndRegistry::listNames(LONG root, const String& subKey, Listing what) {
  std::string key;
  if ((lastRegError_ = ansiName(subKey, &key)) != ERROR_SUCCESS) return nullptr;
  const bool subKeys = what == Listing::SubKeys;
  registry::RegKey k;
  lastRegError_ =
      k.open(rootFromLong(root), key.c_str(), subKeys ? KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE : KEY_QUERY_VALUE);
  if (lastRegError_ != ERROR_SUCCESS) return nullptr;

  DWORD count = 0, longest = 0;
  lastRegError_ = subKeys ? RegQueryInfoKeyA(k.handle(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr,
                                             nullptr, nullptr, nullptr, nullptr)
                          : RegQueryInfoKeyA(k.handle(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                                             &longest, nullptr, nullptr, nullptr);
  if (lastRegError_ != ERROR_SUCCESS) return nullptr;

  auto result = Collection::create();
  const std::size_t bufferSize = std::size_t{longest} + 20;
  const DWORD offered = static_cast<DWORD>(std::min<std::size_t>(bufferSize - 10, 0xFFFFFFFFu));
  for (DWORD index = 0; index < count; ++index) {
    std::vector<char> buffer(bufferSize, '\0');
    if (subKeys) {
      lastRegError_ = RegEnumKeyA(k.handle(), index, buffer.data(), offered);
    } else {
      DWORD nameLength = offered;
      lastRegError_ = RegEnumValueA(k.handle(), index, buffer.data(), &nameLength, nullptr, nullptr, nullptr, nullptr);
    }
    if (lastRegError_ != ERROR_SUCCESS) {
      if (lastRegError_ != ERROR_NO_MORE_ITEMS) result = nullptr;
      break;
    }
    result->add(Variant(asGetStringFromPointerA(buffer.data())));
  }
  return result;
}

std::shared_ptr<Collection> qndRegistry::GetSubKeysNames(LONG RegistryRoot, const String& SubKey) {
  return listNames(RegistryRoot, SubKey, Listing::SubKeys);
}

std::shared_ptr<Collection> qndRegistry::GetValuesNames(LONG RegistryRoot, const String& SubKey) {
  return listNames(RegistryRoot, SubKey, Listing::Values);
}

bool qndRegistry::CreateKey(LONG RegistryRoot, const String& SubKey, bool* KeyAlreadyExist) {
  std::string key;
  if ((lastRegError_ = ansiName(SubKey, &key)) != ERROR_SUCCESS) return false;
  registry::RegKey k;
  DWORD disposition = 0;
  lastRegError_ = k.create(rootFromLong(RegistryRoot), key.c_str(), KEY_SET_VALUE, &disposition);
  if (lastRegError_ != ERROR_SUCCESS) return false;
  if (KeyAlreadyExist) *KeyAlreadyExist = disposition == REG_OPENED_EXISTING_KEY;
  return true;
}

bool qndRegistry::IsKeyExist(LONG RegistryRoot, const String& SubKey) {
  std::string key;
  if ((lastRegError_ = ansiName(SubKey, &key)) != ERROR_SUCCESS) return false;
  registry::RegKey k;
  lastRegError_ = k.open(rootFromLong(RegistryRoot), key.c_str(), KEY_QUERY_VALUE);
  return lastRegError_ == ERROR_SUCCESS;
}

}  // namespace quendel::toolvane
