// The host and user functions of quendelsupport.h: the system's name, the user's name
// and the memory figures, read from /etc/os-release, the password database and /proc.

#include <pwd.h>
#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "support/codepage.h"
#include "support/quendelsupport.h"

using quendel::BStr;

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
