#include "toolvane/settings/registry_values.h"

#include <algorithm>

#include "automation/safe_array.h"
#include "platform/registry/registry.h"
#include "support/codepage.h"
#include "support/quendelsupport.h"

namespace quendel::toolvane::registry_values {

using automation::SafeArray;

bool RegistryTypeFor(LONG valueType, DWORD* registryType) {
  switch (valueType) {
    case rtString:
    case rtBoolean: *registryType = REG_SZ; return true;
    case rtLong: *registryType = REG_DWORD; return true;
    case rtBinary: *registryType = REG_BINARY; return true;
    default: return false;
  }
}

bool IsValueOfType(const Variant& value, LONG valueType) {
  switch (valueType) {
    case rtString: return value.type() == automation::vbString;
    case rtLong: {
      auto t = value.type();
      return t == automation::vbByte || t == automation::vbInteger || t == automation::vbLong;
    }
    case rtBinary: return value.isArray() && value.arrayElementType() == automation::vbByte;
    case rtBoolean: return value.type() == automation::vbBoolean;
    default: return false;
  }
}

namespace {

LONG ansiTextBytes(const String& text, std::vector<BYTE>* out) {
  bool lossy = false;
  std::string ansi = cp::unicodeToAnsi(text, &lossy);
  if (lossy) return kErrorNoUnicodeTranslation;
  out->assign(ansi.begin(), ansi.end());
  out->push_back(0);
  return ERROR_SUCCESS;
}

String ansiTextFrom(const BYTE* data, std::size_t size) {
  const BYTE* end = std::find(data, data + size, BYTE{0});
  return String(cp::ansiToUnicode(std::string_view(reinterpret_cast<const char*>(data), end - data)));
}

}  // namespace

LONG ValueToBytes(const Variant& value, LONG valueType, std::vector<BYTE>* out) {
  switch (valueType) {
    case rtString: return ansiTextBytes(value.toString(), out);
    case rtBoolean: return ansiTextBytes(BooleanToText(value.toBool()), out);
    case rtLong: {
      auto n = static_cast<std::uint32_t>(value.toLong());
      *out = {static_cast<BYTE>(n), static_cast<BYTE>(n >> 8), static_cast<BYTE>(n >> 16), static_cast<BYTE>(n >> 24)};
      return ERROR_SUCCESS;
    }
    case rtBinary: {
      auto array = value.array();
      if (array)
        *out = array->bytes();
      else
        out->clear();  // an unallocated array stores zero bytes
      return ERROR_SUCCESS;
    }
    default: return ERROR_INVALID_PARAMETER;
  }
}

Variant BytesToValue(const BYTE* data, std::size_t size, LONG valueType) {
  if (size == 0) return EmptyValueFor(valueType);
  switch (valueType) {
    case rtString: return Variant(ansiTextFrom(data, size));
    case rtBoolean: return Variant(TextToBoolean(ansiTextFrom(data, size)));
    case rtLong: {
      std::uint32_t n = 0;
      for (std::size_t i = 0; i < std::min<std::size_t>(size, 4); ++i) n |= std::uint32_t{data[i]} << (8 * i);
      return Variant(static_cast<LONG>(n));
    }
    case rtBinary: return Variant(SafeArray::fromBytes(std::vector<BYTE>(data, data + size), 0));
    default: return Variant();
  }
}

Variant EmptyValueFor(LONG valueType) {
  switch (valueType) {
    case rtString: return Variant(String());
    case rtLong: return Variant(LONG{0});
    case rtBinary: return Variant::unallocatedArray(automation::vbByte);
    case rtBoolean: return Variant(false);
    default: return Variant();
  }
}

bool TextToBoolean(const String& text) {
  String t = automation::upperCase(asTrimEx(text));
  return t == u"1" || t == u"TRUE";
}

String BooleanToText(bool value) { return value ? u"True" : u"False"; }

}  // namespace quendel::toolvane::registry_values
