// CToolHelpInfo: the modules of this process from a Toolhelp module snapshot, one of the
// two interchangeable back-ends of the About box's "Modules list" page.
//
//   auto list = std::make_shared<CToolHelpInfo>();
//   list->ModulesCount();              // the executable, then every mapped ELF file
//   list->ModuleItem(0)->FileName();   // the executable's long-name path
//
// Made from asCreateToolhelp32Snapshot / asModule32First / asModule32Next over
// MODULEENTRY32; the paths are made long-name (asGetLongFileName). A snapshot that cannot
// be taken leaves the list empty; the snapshot handle is always closed. A private class,
// readable by name: ModulesCount and ModuleItem(Index) (module_list.h).
#pragma once

#include "support/export.h"
#include "toolvane/about/module_list.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

class CToolHelpInfo : public ModuleList {
 public:
  CToolHelpInfo();

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
