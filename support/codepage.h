// The system ANSI and OEM code pages of the port, UTF-16 <-> UTF-8 conversion, and
// UTF-16 text packed as little-endian bytes.
//
//   std::string a = quendel::cp::unicodeToAnsi(u"Привет");   // bytes in the ANSI code page
//   std::u16string w = quendel::cp::ansiToUnicode(a);          // and back
//
// The ANSI code page is the code set of the user's locale (normally UTF-8, 65001);
// QUENDEL_ACP may name another by number (1251) or by name ("CP1251"). The OEM code page
// is QUENDEL_OEMCP, else the ANSI one. Conversions go through iconv.
// Failures: unicodeToAnsi writes '?' for a character the code page cannot hold and sets
// *lossy; ansiToUnicode turns invalid bytes into U+FFFD. Neither throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::cp {

// The Windows number of the ANSI code page (65001 for UTF-8, 1251, 1252, ...), or 0
// when the code set has no Windows number.
unsigned ansiCodePage();
unsigned oemCodePage();

std::u16string ansiToUnicode(std::string_view bytes);
std::string unicodeToAnsi(std::u16string_view text, bool* lossy = nullptr);
std::u16string oemToUnicode(std::string_view bytes);
std::string unicodeToOem(std::u16string_view text, bool* lossy = nullptr);

// UTF-8 <-> UTF-16, independent of the locale. Invalid input becomes U+FFFD.
std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view bytes);

// Each byte as the character of the same number (ISO 8859-1, and so ASCII):
// fromLatin1("0F") == u"0F". Used for texts the code formats itself and for byte strings
// carried one byte per character.
std::u16string fromLatin1(std::string_view bytes);

// UTF-16 text <-> UTF-16LE bytes, the form Windows stores and hands over wide text in.
// Every unit is kept, zeros included; an odd final byte is not a unit and is left out.
std::u16string fromUtf16Le(const void* bytes, std::size_t size);
inline std::u16string fromUtf16Le(const std::vector<std::uint8_t>& bytes) {
  return fromUtf16Le(bytes.data(), bytes.size());
}
// The text up to its first zero unit (all of it when it has none).
std::u16string fromUtf16LeUntilNul(const void* bytes, std::size_t size);
void appendUtf16Le(std::u16string_view text, std::vector<std::uint8_t>& out);
std::vector<std::uint8_t> toUtf16Le(std::u16string_view text);

// Forgets the cached code pages so the next call reads the environment again (tests).
void resetForTests();

}  // namespace quendel::cp

QUENDEL_EXPORT_END
