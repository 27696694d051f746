// How a client's Variant becomes the bytes of a registry value and back, one rule per
// value type (RegistryType_Const):
//
//   rtString  (0)  REG_SZ      ANSI text + one zero byte; read back cut at the first NUL
//   rtLong    (1)  REG_DWORD   four little-endian bytes of a Long (Byte, Integer, Long given)
//   rtBinary  (2)  REG_BINARY  the elements of a Byte array; read back with lower bound 0
//   rtBoolean (3)  REG_SZ      "True" / "False"; "1" or "TRUE" (any case, blanks trimmed)
//                              read back as True, every other text as False
//
// Decisions:
//   - Stored data of zero bytes reads as the type's empty value (Success stays True,
//     since the value exists): "" , 0, an unallocated Byte array, False.
//   - rtLong reads of fewer than four bytes take the missing high bytes as zero, so the
//     two bytes 34 12 read as &H1234; bytes past the fourth are ignored.
//   - An unallocated Byte array (or one with no elements) written as rtBinary stores a
//     REG_BINARY of zero bytes, which reads back as an unallocated array.
//   - Text that the ANSI code page cannot hold is refused (ValueToBytes returns
//     ERROR_NO_UNICODE_TRANSLATION) instead of being stored with '?' in its place.
#pragma once

#include <cstddef>
#include <vector>

#include "automation/variant.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

enum RegistryType_Const : LONG { rtString = 0, rtLong = 1, rtBinary = 2, rtBoolean = 3 };

// Win32 status for a name or text the ANSI code page cannot hold.
inline constexpr LONG kErrorNoUnicodeTranslation = 1113;

namespace registry_values {

using automation::String;
using automation::Variant;

// The registry data type for a value type; false for a number outside 0 to 3.
bool RegistryTypeFor(LONG valueType, DWORD* registryType);
// True when value has a subtype that valueType accepts (see the table above).
bool IsValueOfType(const Variant& value, LONG valueType);
// The bytes to store; 0 on success, else a Win32 status and out untouched. value must
// have passed IsValueOfType.
LONG ValueToBytes(const Variant& value, LONG valueType, std::vector<BYTE>* out);
// The value that stored bytes read as; never reads outside data[0, size).
Variant BytesToValue(const BYTE* data, std::size_t size, LONG valueType);
// What a failed read returns: "", 0, an unallocated Byte array, False (Empty for an
// invalid value type).
Variant EmptyValueFor(LONG valueType);
bool TextToBoolean(const String& text);
String BooleanToText(bool value);

}  // namespace registry_values
}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
