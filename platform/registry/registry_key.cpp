#include "platform/registry/registry_key.h"

#include <algorithm>
#include <utility>

namespace quendel::registry {

namespace {
// Larger string values are not read by readString (the registry keeps names and paths).
constexpr DWORD kMaxStringBytes = 1u << 20;
}  // namespace

RegKey& RegKey::operator=(RegKey&& other) noexcept {
  if (this != &other) {
    close();
    key_ = other.release();
  }
  return *this;
}

LONG RegKey::open(HKEY parent, const char* subKey, REGSAM access) {
  close();
  HKEY key = nullptr;
  LONG st = RegOpenKeyExA(parent, subKey, 0, access, &key);
  if (st == ERROR_SUCCESS) key_ = key;
  return st;
}

LONG RegKey::create(HKEY parent, const char* subKey, REGSAM access, DWORD* disposition) {
  close();
  HKEY key = nullptr;
  LONG st = RegCreateKeyExA(parent, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, disposition);
  if (st == ERROR_SUCCESS) key_ = key;
  return st;
}

void RegKey::close() {
  // Closing an open handle only fails for a handle that is not open, which this class
  // never holds; there is nothing a destructor could do about it.
  if (key_) (void)RegCloseKey(std::exchange(key_, nullptr));
}

HKEY RegKey::release() { return std::exchange(key_, nullptr); }

LONG RegKey::readString(const char* name, std::string* out) const {
  DWORD type = 0, size = 0;
  LONG st = RegQueryValueExA(key_, name, nullptr, &type, nullptr, &size);
  if (st != ERROR_SUCCESS) return st;
  if (type != REG_SZ) return ERROR_UNSUPPORTED_TYPE;
  if (size > kMaxStringBytes) return ERROR_MORE_DATA;
  std::string buf(size, '\0');
  st = RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size);
  if (st != ERROR_SUCCESS) return st;
  if (type != REG_SZ) return ERROR_UNSUPPORTED_TYPE;
  buf.resize(std::min<std::size_t>(size, buf.size()));
  if (auto nul = buf.find('\0'); nul != std::string::npos) buf.resize(nul);
  *out = std::move(buf);
  return ERROR_SUCCESS;
}

LONG RegKey::writeString(const char* name, const std::string& value) const {
  return RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1));
}

}  // namespace quendel::registry
