// modPasswordCryptor: keeps a stored proxy password from being readable at a glance. It
// is scrambling, not encryption: there is no key, and anyone with this code can undo it.
//
// Scrambled text: one group of four hexadecimal digits per byte of the password in the
// ANSI code page, last byte first; a group is the two digits of 255 minus the byte and
// two digits of a random filler byte (from the system's random source), so scrambling
// the same password twice gives different texts. Under a single-byte code page that is
// one group per character; under UTF-8 a character takes one group per byte, and every
// password the code page can hold comes back unchanged.
//
//   ScramblePassword(u"abc")      // "9Cxx9Dxx9Exx" with random xx; "" for ""
//   UnscramblePassword(text)      // "abc"
//
// Failures: a character the ANSI code page cannot hold raises Overflow (6). A text whose
// length is not a multiple of four, or a group that does not start with two hexadecimal
// digits, unscrambles to "". A failing support-library call raises.
#pragma once

#include "automation/variant.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::modPasswordCryptor {

using automation::String;

String ScramblePassword(const String& Password);
String UnscramblePassword(const String& Scrambled);

}  // namespace quendel::toolvane::modPasswordCryptor

QUENDEL_EXPORT_END
