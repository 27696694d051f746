// The text functions of quendelsupport.h: trimming, cutting, pointers and byte forms.

#include "support/codepage.h"
#include "support/quendelsupport.h"

using quendel::BStr;

namespace {

bool isWhite(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\0' ||
         c == u'\u00A0';
}

}  // namespace

bool quendel::isTrimWhiteSpace(char16_t c) { return isWhite(c); }

HRESULT asTrimEx(const BStr& s, BStr* out) {
  if (!out) return E_POINTER;
  size_t b = 0, e = s.size();
  while (b < e && isWhite(s[b])) ++b;
  while (e > b && isWhite(s[e - 1])) --e;
  *out = s.substr(b, e - b);
  return S_OK;
}

HRESULT asTrimCRLF(const BStr& s, BStr* out) {
  if (!out) return E_POINTER;
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == u'\r' || s[b] == u'\n')) ++b;
  while (e > b && (s[e - 1] == u'\r' || s[e - 1] == u'\n')) --e;
  *out = s.substr(b, e - b);
  return S_OK;
}

HRESULT asCutLeft(const BStr& s, LONG count, BStr* out) {
  if (!out) return E_POINTER;
  if (count < 0) return E_INVALIDARG;
  *out = static_cast<size_t>(count) >= s.size() ? BStr() : s.substr(static_cast<size_t>(count));
  return S_OK;
}

HRESULT asGetStringFromPointerA(const char* ansi, BStr* out) {
  if (!out) return E_POINTER;
  *out = ansi ? quendel::cp::ansiToUnicode(ansi) : BStr();
  return S_OK;
}

HRESULT asGetStringFromPointerW(const char16_t* wide, BStr* out) {
  if (!out) return E_POINTER;
  *out = wide ? BStr(wide) : BStr();
  return S_OK;
}

HRESULT asUNICODEToUTF8(const BStr& s, BStr* out) {
  if (!out) return E_POINTER;
  *out = quendel::cp::fromLatin1(quendel::cp::toUtf8(s));
  return S_OK;
}

HRESULT asUTF8ToUNICODE(const BStr& s, BStr* out) {
  if (!out) return E_POINTER;
  std::string bytes;
  bytes.reserve(s.size());
  for (char16_t c : s) {
    if (c > 0xFF) return E_INVALIDARG;  // not a byte string
    bytes.push_back(static_cast<char>(c));
  }
  *out = quendel::cp::fromUtf8(bytes);
  return S_OK;
}

HRESULT asAnsiToOem(const BStr& s, BStr* out) {
  if (!out) return E_POINTER;
  *out = quendel::cp::fromLatin1(quendel::cp::unicodeToOem(s));
  return S_OK;
}
