// The number functions of quendelsupport.h: words and bytes, conversions, the port's
// own number and version forms, error numbers and new GUIDs.

#include <sys/random.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "support/codepage.h"
#include "support/quendelsupport.h"
#include "support/rounding.h"

using quendel::BStr;

HRESULT asLoWord(LONG value, LONG* out) {
  if (!out) return E_POINTER;
  *out = static_cast<LONG>(static_cast<DWORD>(value) & 0xFFFFu);
  return S_OK;
}

HRESULT asHiByte(LONG value, LONG* out) {
  if (!out) return E_POINTER;
  *out = static_cast<LONG>((static_cast<DWORD>(value) >> 8) & 0xFFu);
  return S_OK;
}

HRESULT asMakeLong(LONG low, LONG high, LONG* out) {
  if (!out) return E_POINTER;
  *out = static_cast<LONG>((static_cast<DWORD>(low) & 0xFFFFu) | ((static_cast<DWORD>(high) & 0xFFFFu) << 16));
  return S_OK;
}

HRESULT asLongToUnsignedLong(LONG value, double* out) {
  if (!out) return E_POINTER;
  *out = static_cast<double>(static_cast<DWORD>(value));
  return S_OK;
}

HRESULT asLargeIntegerToDouble(LONGLONG value, double* out) {
  if (!out) return E_POINTER;
  *out = static_cast<double>(value);
  return S_OK;
}

HRESULT asDoubleToLargeInteger(double value, LONGLONG* out) {
  if (!out) return E_POINTER;
  double r = quendel::roundHalfEven(value);
  if (!std::isfinite(r) || r < -9223372036854775808.0 || r >= 9223372036854775808.0) return DISP_E_OVERFLOW;
  *out = static_cast<LONGLONG>(r);
  return S_OK;
}

HRESULT asFormatLong(LONG value, BStr* out) {
  if (!out) return E_POINTER;
  *out = quendel::cp::fromLatin1(std::to_string(value));
  return S_OK;
}

HRESULT asFormatInt64(double value, BStr* out) {
  if (!out) return E_POINTER;
  if (std::isnan(value)) return E_INVALIDARG;
  double r = quendel::roundHalfEven(value);
  char buf[64];
  if (std::fabs(r) < 9.2e18) {
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(r));
  } else {
    std::snprintf(buf, sizeof buf, "%.0f", r);
  }
  *out = quendel::cp::fromLatin1(buf);
  return S_OK;
}

HRESULT asFormatDouble(double value, BStr* out) {
  if (!out) return E_POINTER;
  if (std::isnan(value)) {
    *out = u"NaN";
    return S_OK;
  }
  if (std::isinf(value)) {
    *out = value > 0 ? u"Infinity" : u"-Infinity";
    return S_OK;
  }
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.6f", value);
  std::string s = buf;
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  *out = quendel::cp::fromLatin1(s);
  return S_OK;
}

HRESULT asFormatByteSizeEx(double bytes, BStr* out) {
  if (!out) return E_POINTER;
  if (std::isnan(bytes)) return E_INVALIDARG;
  static const char* units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
  double a = std::fabs(bytes);
  char buf[64];
  if (a < 1024) {
    std::snprintf(buf, sizeof buf, "%.0f bytes", bytes);
  } else {
    int u = -1;
    double v = bytes;
    while (std::fabs(v) >= 1024 && u < 5) {
      v /= 1024;
      ++u;
    }
    double av = std::fabs(v);
    const char* fmt = av < 10 ? "%.2f %s" : av < 100 ? "%.1f %s" : "%.0f %s";
    std::snprintf(buf, sizeof buf, fmt, v, units[u]);
  }
  *out = quendel::cp::fromLatin1(buf);
  return S_OK;
}

HRESULT asGetErrorNumber(LONG number, BStr* out) {
  if (!out) return E_POINTER;
  std::string s = std::to_string(number);
  if (number < 0 || number > 65535) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(number));
    s += " (0x";
    s += hex;
    s += ")";
  }
  *out = quendel::cp::fromLatin1(s);
  return S_OK;
}

HRESULT asGetNewGUID(BStr* out) {
  if (!out) return E_POINTER;
  unsigned char b[16];
  size_t got = 0;
  while (got < sizeof b) {
    ssize_t n = getrandom(b + got, sizeof b - got, 0);
    if (n < 0) return E_FAIL;
    got += static_cast<size_t>(n);
  }
  b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);  // version 4
  b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);  // variant 1
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[0], b[1],
                b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
  *out = quendel::cp::fromLatin1(buf);
  return S_OK;
}

HRESULT asFormatVersionShort(LONG major, LONG minor, BStr* out) {
  if (!out) return E_POINTER;
  *out = quendel::cp::fromLatin1(std::to_string(major) + "." + std::to_string(minor));
  return S_OK;
}

HRESULT asFormatVersion(LONG major, LONG minor, LONG revision, BStr* out) {
  if (!out) return E_POINTER;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d.%02d.%04d", major, minor, revision);
  *out = quendel::cp::fromLatin1(buf);
  return S_OK;
}
