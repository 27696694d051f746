#include "toolvane/about/module_list.h"

#include "platform/process/process_modules.h"
#include "support/quendelsupport.h"

namespace quendel::toolvane {

std::shared_ptr<CModuleEntry> ModuleList::ModuleItem(LONG Index) const {
  if (Index < 0 || static_cast<std::size_t>(Index) >= entries_.size()) throw RuntimeError(9);
  return entries_[static_cast<std::size_t>(Index)];
}

std::uint64_t ModuleList::preferredAddress(std::uint64_t base) {
  std::uintptr_t preferred = 0;
  HRESULT hr = asGetModulePreferredBaseAddr(static_cast<LONG>(GetCurrentProcessId()), static_cast<std::uintptr_t>(base),
                                            &preferred);
  if (SUCCEEDED(hr)) return preferred;
  // One module whose file cannot be read must not cost the whole list.
  asDebugPrint(u"asGetModulePreferredBaseAddr() ==> " + asGetErrorNumber(hr));
  return base;
}

}  // namespace quendel::toolvane
