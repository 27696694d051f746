// The desktop's system-information program, found on PATH and recorded at registration.
#include "toolvane/frame/system_information_program.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/registry/registry_key.h"

namespace quendel::toolvane {
namespace {

// The desktops' own programs first, then the general ones.
constexpr const char* kPrograms[] = {"gnome-system-monitor",
                                     "plasma-systemmonitor",
                                     "ksysguard",
                                     "mate-system-monitor",
                                     "xfce4-taskmanager",
                                     "lxtask",
                                     "hardinfo2",
                                     "hardinfo"};

bool isProgram(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string findSystemInformationProgram(std::string_view pathList) {
  for (const char* program : kPrograms) {
    std::string_view folders = pathList;
    while (!folders.empty()) {
      size_t end = folders.find(':');
      std::string_view folder = folders.substr(0, end);
      folders = end == std::string_view::npos ? std::string_view{} : folders.substr(end + 1);
      // Only absolute folders: the path is used later from another working directory.
      if (folder.empty() || folder.front() != '/') continue;
      std::string candidate = std::string(folder) + "/" + program;
      if (isProgram(candidate)) return candidate;
    }
  }
  return {};
}

HRESULT registerSystemInformationProgram() {
  const char* path = std::getenv("PATH");
  std::string program = findSystemInformationProgram(path ? path : "/usr/local/bin:/usr/bin:/bin");
  if (program.empty()) return S_OK;
  registry::RegKey key;
  LONG status = key.create(HKEY_LOCAL_MACHINE, kMsInfoKey, KEY_SET_VALUE);
  if (status == ERROR_SUCCESS) status = key.writeString(kMsInfoValue, program);
  if (status == ERROR_SUCCESS || status == ERROR_ACCESS_DENIED) return S_OK;
  return HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

}  // namespace quendel::toolvane
