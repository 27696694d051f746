#include "toolvane/about/tool_help_info.h"

#include "platform/base/handles.h"
#include "platform/process/process_modules.h"
#include "support/quendelsupport.h"

namespace quendel::toolvane {
namespace {

// Closes the snapshot on every way out, errors included.
class SnapshotHandle {
 public:
  explicit SnapshotHandle(HANDLE h) : h_(h) {}
  ~SnapshotHandle() {
    if (h_ != INVALID_HANDLE_VALUE) (void)CloseHandle(h_);  // a snapshot's close cannot fail usefully
  }
  SnapshotHandle(const SnapshotHandle&) = delete;
  SnapshotHandle& operator=(const SnapshotHandle&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

}  // namespace

CToolHelpInfo::CToolHelpInfo() {
  (void)asEnableDebugPrivilege(true);  // the outcome does not matter
  SnapshotHandle snapshot(asCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, static_cast<LONG>(GetCurrentProcessId())));
  if (snapshot.get() == INVALID_HANDLE_VALUE) return;
  MODULEENTRY32 me{};
  me.dwSize = sizeof me;
  for (bool more = asModule32First(snapshot.get(), &me); more; more = asModule32Next(snapshot.get(), &me)) {
    const auto base = reinterpret_cast<std::uintptr_t>(me.modBaseAddr);
    ModuleData d;
    d.Name = asGetStringFromPointerA(me.szModule);
    d.BaseAddress = base;
    d.PrefferedAddress = preferredAddress(base);
    d.BaseSize = me.modBaseSize;
    d.FileName = asGetLongFileName(asGetStringFromPointerA(me.szExePath));
    add(std::move(d));
  }
}

}  // namespace quendel::toolvane
