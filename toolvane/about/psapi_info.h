// CPSAPIInfo: the modules of this process from the process-status functions, the back-end
// of the About box's "Modules list" page that the form tries first.
//
//   auto list = std::make_shared<CPSAPIInfo>();       // raises 9 past 2048 modules
//   list->ModuleItem(0)->Name();                       // the executable's file name
//
// Made from EnumProcessModules with room for `limit` handles (2048 unless a test asks
// for fewer), then per handle GetModuleFileNameExA, GetModuleBaseNameA and
// GetModuleInformation (base, size; all three 0 when it fails). A process with more modules
// than the room makes the creation fail with 9 (Subscript out of range) at the first one
// beyond it, so the form falls back to CToolHelpInfo; a failing EnumProcessModules leaves
// the list empty. Paths are kept as the system reports them. A private class, readable by
// name: ModulesCount and ModuleItem(Index) (module_list.h).
#pragma once

#include <cstddef>

#include "support/export.h"
#include "toolvane/about/module_list.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

class CPSAPIInfo : public ModuleList {
 public:
  static constexpr std::size_t kModuleLimit = 2048;
  explicit CPSAPIInfo(std::size_t limit = kModuleLimit);

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
