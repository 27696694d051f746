#include "support/quendelsupportfbe.h"

#include <sys/random.h>
#include <sys/stat.h>

#include <cstdio>

#include "support/codepage.h"
#include "support/formatted.h"

using quendel::BStr;

HRESULT esHex1(BYTE value, BStr* out) {
  if (!out) return E_POINTER;
  *out = quendel::cp::fromLatin1(quendel::formatted("%02X", value));
  return S_OK;
}

HRESULT esHex2(WORD value, BStr* out) {
  if (!out) return E_POINTER;
  *out = quendel::cp::fromLatin1(quendel::formatted("%04X", value));
  return S_OK;
}

HRESULT esHexEx4(LONG value, BStr* out) {
  if (!out) return E_POINTER;
  *out = quendel::cp::fromLatin1(quendel::formatted("0x%08X", static_cast<unsigned>(value)));
  return S_OK;
}

HRESULT esHexEx8(ULONGLONG value, BStr* out) {
  if (!out) return E_POINTER;
  *out = quendel::cp::fromLatin1(quendel::formatted("0x%016llX", static_cast<unsigned long long>(value)));
  return S_OK;
}

HRESULT esGetRnd(LONG low, LONG high, LONG reserved, LONG* out) {
  (void)reserved;
  if (!out) return E_POINTER;
  if (high < low) return E_INVALIDARG;
  std::uint64_t span = static_cast<std::uint64_t>(static_cast<std::int64_t>(high) - low) + 1;
  // Rejection sampling keeps every value equally likely.
  std::uint64_t limit = (std::uint64_t{1} << 32) - ((std::uint64_t{1} << 32) % span);
  for (;;) {
    std::uint32_t r = 0;
    if (getrandom(&r, sizeof r, 0) != static_cast<ssize_t>(sizeof r)) return E_FAIL;
    if (r < limit) {
      *out = static_cast<LONG>(low + static_cast<std::int64_t>(r % span));
      return S_OK;
    }
  }
}

#define QUENDEL_FIXED_BOOL(name, value) \
  HRESULT name(bool* out) {             \
    if (!out) return E_POINTER;         \
    *out = value;                       \
    return S_OK;                        \
  }

QUENDEL_FIXED_BOOL(esIsHostWin95, false)
QUENDEL_FIXED_BOOL(esIsHostWin9x, false)
QUENDEL_FIXED_BOOL(esIsHostWinNT, true)
QUENDEL_FIXED_BOOL(esIsHostWinNT351, false)
QUENDEL_FIXED_BOOL(esIsHostWinNT40, false)
QUENDEL_FIXED_BOOL(esIsInIDE, false)
// Programs on Linux are found through PATH and desktop entries; there is no per-program
// path registration to make.
QUENDEL_FIXED_BOOL(esRegisterAppPath, true)

HRESULT esIsFileExist(const BStr& path, bool* out) {
  if (!out) return E_POINTER;
  if (path.empty()) {
    *out = false;
    return S_OK;
  }
  struct stat st {};
  std::string p = quendel::cp::toUtf8(path);
  *out = ::stat(p.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
  return S_OK;
}

HRESULT esGetThunderMainHandle(HWND* out) {
  if (!out) return E_POINTER;
  *out = quendel::registeredThunderMain();
  return S_OK;
}
