#include "toolvane/settings/password_cryptor.h"

#include <string>

#include "support/codepage.h"
#include "support/quendelsupportfbe.h"

namespace quendel::toolvane::modPasswordCryptor {

namespace {

int hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

}  // namespace

String ScramblePassword(const String& Password) {
  bool lossy = false;
  std::string ansi = cp::unicodeToAnsi(Password, &lossy);
  if (lossy) throw RuntimeError(6);  // no ANSI code for a character
  String result;
  result.reserve(ansi.size() * 4);
  for (auto it = ansi.rbegin(); it != ansi.rend(); ++it) {
    auto code = static_cast<BYTE>(*it);
    result += esHex1(static_cast<BYTE>(255 - code));
    result += esHex1(static_cast<BYTE>(esGetRnd(0, 255, 0)));
  }
  return result;
}

String UnscramblePassword(const String& Scrambled) {
  if (Scrambled.size() % 4 != 0) return {};
  std::string ansi(Scrambled.size() / 4, '\0');
  for (std::size_t i = 0; i < Scrambled.size(); i += 4) {
    int high = hexDigit(Scrambled[i]), low = hexDigit(Scrambled[i + 1]);
    if (high < 0 || low < 0) return {};
    // Groups run from the last byte to the first.
    ansi[ansi.size() - 1 - i / 4] = static_cast<char>(255 - (high * 16 + low));
  }
  return String(cp::ansiToUnicode(ansi));
}

}  // namespace quendel::toolvane::modPasswordCryptor
