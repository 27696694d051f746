// GUIDs and their registry text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
//
//   GUID g;
//   if (SUCCEEDED(CLSIDFromString(u"{557CF406-1A04-11D3-9A73-0000F81EF32E}", &g))) ...
//   std::u16string text = quendel::guidToString(g);   // upper case, in braces
//
// Parsing accepts either letter case and nothing else: no missing braces, blanks or
// extra characters (CO_E_CLASSSTRING, the output untouched).
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

struct GUID {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::uint8_t Data4[8] = {};
  friend bool operator==(const GUID&, const GUID&) = default;
  friend auto operator<=>(const GUID&, const GUID&) = default;
};
using CLSID = GUID;
using IID = GUID;

// Parses the braced text form; CO_E_CLASSSTRING for anything else.
[[nodiscard]] HRESULT CLSIDFromString(const char16_t* text, GUID* out);
// Writes the braced upper-case form with its terminating zero; returns the number of
// characters written including the zero, or 0 when the buffer holds fewer than 39.
int StringFromGUID2(const GUID& guid, char16_t* buffer, int size);

namespace quendel {
std::u16string guidToString(const GUID& guid);
std::optional<GUID> parseGuid(std::u16string_view text);
// For identifiers written in code: the text must be a valid GUID.
GUID guidFromLiteral(std::string_view text);
}  // namespace quendel

QUENDEL_EXPORT_END
