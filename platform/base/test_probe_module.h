// The table of the probe modules the loader's tests load (test_probe_module.cpp): one
// built for this interface, one built as a module of another build would be.
#pragma once

#include "platform/base/on_demand_module.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::testing {

constexpr std::uint32_t kProbeModuleVersion = 3;

struct ProbeModule {
  platform::ModuleTableHeader header;
  int (*twice)(int);
};

}  // namespace quendel::testing

QUENDEL_EXPORT_END
