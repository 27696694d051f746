#include "support/quendelsupport.h"

#include <elf.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/random.h>
#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <limits>
#include <sstream>

#include "support/codepage.h"
#include "support/rounding.h"

using quendel::BStr;

namespace {

BStr ascii(const std::string& s) { return BStr(s.begin(), s.end()); }

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
  std::string bytes = quendel::cp::toUtf8(s);
  BStr r;
  r.reserve(bytes.size());
  for (unsigned char c : bytes) r.push_back(c);
  *out = std::move(r);
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
  std::string bytes = quendel::cp::unicodeToOem(s);
  BStr r;
  for (unsigned char c : bytes) r.push_back(c);
  *out = std::move(r);
  return S_OK;
}

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
  *out = ascii(std::to_string(value));
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
  *out = ascii(buf);
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
  *out = ascii(s);
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
  *out = ascii(buf);
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
  *out = ascii(s);
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
  *out = ascii(buf);
  return S_OK;
}

HRESULT asFormatVersionShort(LONG major, LONG minor, BStr* out) {
  if (!out) return E_POINTER;
  *out = ascii(std::to_string(major) + "." + std::to_string(minor));
  return S_OK;
}

HRESULT asFormatVersion(LONG major, LONG minor, LONG revision, BStr* out) {
  if (!out) return E_POINTER;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d.%02d.%04d", major, minor, revision);
  *out = ascii(buf);
  return S_OK;
}

namespace {

std::string osReleaseValue(const char* key) {
  for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind(key, 0) != 0 || line.size() <= std::strlen(key) || line[std::strlen(key)] != '=') continue;
      std::string v = line.substr(std::strlen(key) + 1);
      if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
      return v;
    }
  }
  return {};
}

}  // namespace

HRESULT asGetHostOSFullName(bool withServicePack, bool twoLines, BStr* out) {
  if (!out) return E_POINTER;
  std::string name = osReleaseValue("PRETTY_NAME");
  struct utsname u {};
  bool haveUname = uname(&u) == 0;
  if (name.empty()) name = haveUname ? u.sysname : "Linux";
  std::string second;
  if (withServicePack && haveUname) second = std::string(u.sysname) + " " + u.release;
  std::string s = name;
  if (!second.empty()) s += (twoLines ? "\r\n" : " ") + second;
  *out = quendel::cp::fromUtf8(s);
  return S_OK;
}

HRESULT asGetFullUserName(bool fullName, BStr* out) {
  if (!out) return E_POINTER;
  struct passwd pw {};
  struct passwd* res = nullptr;
  std::string buf(16384, '\0');
  std::string login;
  std::string gecos;
  if (getpwuid_r(geteuid(), &pw, buf.data(), buf.size(), &res) == 0 && res) {
    login = pw.pw_name ? pw.pw_name : "";
    gecos = pw.pw_gecos ? pw.pw_gecos : "";
    if (auto comma = gecos.find(','); comma != std::string::npos) gecos.resize(comma);
  }
  if (login.empty()) {
    const char* u = std::getenv("USER");
    login = u ? u : std::to_string(geteuid());
  }
  // GECOS text is UTF-8 on every current system.
  *out = quendel::cp::fromUtf8(fullName && !gecos.empty() ? gecos : login);
  return S_OK;
}

HRESULT asGlobalMemoryStatus(QuendelMemoryStatus* out) {
  if (!out) return E_POINTER;
  struct sysinfo si {};
  if (sysinfo(&si) != 0) return E_FAIL;
  QuendelMemoryStatus m{};
  double unit = si.mem_unit ? si.mem_unit : 1;
  m.totalPhys = static_cast<double>(si.totalram) * unit;
  // MemAvailable counts reclaimable caches as free, as the platform does.
  double avail = static_cast<double>(si.freeram + si.bufferram) * unit;
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  long long kb = 0;
  std::string rest;
  while (meminfo >> key >> kb) {
    std::getline(meminfo, rest);
    if (key == "MemAvailable:") {
      avail = static_cast<double>(kb) * 1024.0;
      break;
    }
  }
  m.availPhys = avail;
  m.totalPageFile = m.totalPhys + static_cast<double>(si.totalswap) * unit;
  m.availPageFile = m.availPhys + static_cast<double>(si.freeswap) * unit;
  struct rlimit rl {};
  double addressSpace = 140737488355328.0;  // 128 TiB of user address space
  if (getrlimit(RLIMIT_AS, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY) addressSpace = static_cast<double>(rl.rlim_cur);
  m.totalVirtual = addressSpace;
  double used = 0;
  std::ifstream status("/proc/self/status");
  while (status >> key >> kb) {
    std::getline(status, rest);
    if (key == "VmSize:") {
      used = static_cast<double>(kb) * 1024.0;
      break;
    }
  }
  m.availVirtual = addressSpace > used ? addressSpace - used : 0;
  m.memoryLoad =
      m.totalPhys > 0 ? static_cast<LONG>(std::lround(100.0 * (m.totalPhys - m.availPhys) / m.totalPhys)) : 0;
  *out = m;
  return S_OK;
}

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
  *out = ascii(buf);
  return S_OK;
}

HRESULT asSystemTimeToStringTime(const SYSTEMTIME& time, BStr* out) {
  if (!out) return E_POINTER;
  if (!validSystemTime(time)) return E_INVALIDARG;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02u:%02u:%02u", time.wHour, time.wMinute, time.wSecond);
  *out = ascii(buf);
  return S_OK;
}

HRESULT asGetEXEModulePrettyFileName(BStr* out) {
  if (!out) return E_POINTER;
  std::string path(4096, '\0');
  ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (n <= 0) return E_FAIL;
  path.resize(static_cast<size_t>(n));
  // A binary replaced while running is reported with this suffix.
  const std::string deleted = " (deleted)";
  if (path.size() > deleted.size() && path.ends_with(deleted)) path.resize(path.size() - deleted.size());
  *out = quendel::cp::fromUtf8(path);
  return S_OK;
}

HRESULT asGetLongFileName(const BStr& path, BStr* out) {
  if (!out) return E_POINTER;
  std::string p = quendel::cp::toUtf8(path);
  if (char* real = realpath(p.c_str(), nullptr)) {
    *out = quendel::cp::fromUtf8(real);
    std::free(real);
  } else {
    *out = path;  // no short names on Linux: a path that does not resolve is its own long form
  }
  return S_OK;
}

HRESULT asEnableDebugPrivilege(bool enable, bool* out) {
  if (!out) return E_POINTER;
  // Reading other processes' module lists needs no privilege switch on Linux; the
  // kernel's ptrace rules decide per process.
  (void)enable;
  *out = true;
  return S_OK;
}

HRESULT asGetModulePreferredBaseAddr(LONG pid, std::uintptr_t loadAddress, std::uintptr_t* out) {
  if (!out) return E_POINTER;
  std::string maps = "/proc/" + (pid == 0 ? std::string("self") : std::to_string(pid)) + "/maps";
  std::ifstream in(maps);
  if (!in) return E_ACCESSDENIED;
  std::string line, file;
  while (std::getline(in, line)) {
    unsigned long long lo = 0, hi = 0, off = 0;
    char perms[8] = {};
    int consumed = 0;
    if (std::sscanf(line.c_str(), "%llx-%llx %7s %llx %*s %*s%n", &lo, &hi, perms, &off, &consumed) < 4) continue;
    if (loadAddress < lo || loadAddress >= hi) continue;
    auto slash = line.find('/', static_cast<size_t>(consumed));
    if (slash == std::string::npos) return E_INVALIDARG;
    file = line.substr(slash);
    break;
  }
  if (file.empty()) return E_INVALIDARG;
  std::ifstream elf(file, std::ios::binary);
  Elf64_Ehdr eh{};
  if (!elf.read(reinterpret_cast<char*>(&eh), sizeof eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 ||
      eh.e_ident[EI_CLASS] != ELFCLASS64 || eh.e_phentsize != sizeof(Elf64_Phdr) || eh.e_phnum > 4096)
    return E_INVALIDARG;
  std::uintptr_t base = std::numeric_limits<std::uintptr_t>::max();
  for (unsigned i = 0; i < eh.e_phnum; ++i) {
    Elf64_Phdr ph{};
    elf.seekg(static_cast<std::streamoff>(eh.e_phoff + i * sizeof ph));
    if (!elf.read(reinterpret_cast<char*>(&ph), sizeof ph)) return E_INVALIDARG;
    if (ph.p_type == PT_LOAD && ph.p_vaddr < base) base = ph.p_vaddr & ~static_cast<std::uintptr_t>(0xFFF);
  }
  if (base == std::numeric_limits<std::uintptr_t>::max()) return E_INVALIDARG;
  *out = base;
  return S_OK;
}

HRESULT asDebugPrint(const BStr& text) {
  const char* flag = std::getenv("QUENDEL_DEBUG");
  if (!flag || !*flag) return S_OK;
  std::string line = quendel::cp::toUtf8(text) + "\n";
  ssize_t ignored = write(STDERR_FILENO, line.data(), line.size());
  (void)ignored;
  return S_OK;
}

HRESULT asOutputDebugString(const BStr& text) { return asDebugPrint(text); }
