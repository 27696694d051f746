#include "toolvane/about/psapi_info.h"

#include <vector>

#include "platform/process/process_modules.h"
#include "support/quendelsupport.h"

namespace quendel::toolvane {
namespace {

// Room for a whole path of this system (PATH_MAX), so no path is ever cut.
constexpr DWORD kPathRoom = 4096;

String moduleText(DWORD (*get)(HANDLE, HMODULE, char*, DWORD), HMODULE module) {
  std::vector<char> buffer(kPathRoom + 1, '\0');
  DWORD n = get(GetCurrentProcess(), module, buffer.data(), kPathRoom);
  buffer[n < kPathRoom ? n : kPathRoom] = '\0';  // cut at the first NUL
  return asGetStringFromPointerA(buffer.data());
}

}  // namespace

CPSAPIInfo::CPSAPIInfo(std::size_t limit) {
  (void)asEnableDebugPrivilege(true);  // the outcome does not matter
  std::vector<HMODULE> handles(limit);
  DWORD needed = 0;
  if (!EnumProcessModules(GetCurrentProcess(), handles.data(), static_cast<DWORD>(limit * kModuleHandleBytes), &needed))
    return;
  const std::size_t count = needed / kModuleHandleBytes;
  for (std::size_t i = 0; i < count; ++i) {
    if (i >= limit) throw RuntimeError(9);  // more modules than the array holds
    ModuleData d;
    d.FileName = moduleText(&GetModuleFileNameExA, handles[i]);
    d.Name = moduleText(&GetModuleBaseNameA, handles[i]);
    MODULEINFO info{};
    if (GetModuleInformation(GetCurrentProcess(), handles[i], &info, sizeof info)) {
      d.BaseAddress = reinterpret_cast<std::uintptr_t>(info.lpBaseOfDll);
      d.PrefferedAddress = preferredAddress(d.BaseAddress);
      d.BaseSize = info.SizeOfImage;
    }
    add(std::move(d));
  }
}

}  // namespace quendel::toolvane
