// The time functions of quendelsupport.h: UTC to local time and the port's date and
// time forms.

#include <cstdio>
#include <ctime>

#include "support/codepage.h"
#include "support/quendelsupport.h"

using quendel::BStr;

namespace {

bool validSystemTime(const SYSTEMTIME& t) {
  return t.wYear >= 1601 && t.wYear <= 30827 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 && t.wDay <= 31 &&
         t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 && t.wMilliseconds < 1000;
}

}  // namespace

HRESULT asSystemTimeToLocalSystemTime(const SYSTEMTIME& utc, SYSTEMTIME* out) {
  if (!out) return E_POINTER;
  if (!validSystemTime(utc)) return E_INVALIDARG;
  struct tm t {};
  t.tm_year = utc.wYear - 1900;
  t.tm_mon = utc.wMonth - 1;
  t.tm_mday = utc.wDay;
  t.tm_hour = utc.wHour;
  t.tm_min = utc.wMinute;
  t.tm_sec = utc.wSecond;
  time_t secs = timegm(&t);
  struct tm local {};
  if (!localtime_r(&secs, &local)) return E_FAIL;
  SYSTEMTIME r{};
  r.wYear = static_cast<WORD>(local.tm_year + 1900);
  r.wMonth = static_cast<WORD>(local.tm_mon + 1);
  r.wDayOfWeek = static_cast<WORD>(local.tm_wday);
  r.wDay = static_cast<WORD>(local.tm_mday);
  r.wHour = static_cast<WORD>(local.tm_hour);
  r.wMinute = static_cast<WORD>(local.tm_min);
  r.wSecond = static_cast<WORD>(local.tm_sec);
  r.wMilliseconds = utc.wMilliseconds;
  *out = r;
  return S_OK;
}

HRESULT asSystemTimeToStringDate(const SYSTEMTIME& time, BStr* out) {
  if (!out) return E_POINTER;
  if (!validSystemTime(time)) return E_INVALIDARG;
  char buf[32];
  // The short date of the port: day, month and year as the user's locale reads them
  // unambiguously in any language.
  std::snprintf(buf, sizeof buf, "%02u.%02u.%04u", time.wDay, time.wMonth, time.wYear);
  *out = quendel::cp::fromLatin1(buf);
  return S_OK;
}

HRESULT asSystemTimeToStringTime(const SYSTEMTIME& time, BStr* out) {
  if (!out) return E_POINTER;
  if (!validSystemTime(time)) return E_INVALIDARG;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02u:%02u:%02u", time.wHour, time.wMinute, time.wSecond);
  *out = quendel::cp::fromLatin1(buf);
  return S_OK;
}
