// A probe module for the loader's tests; QUENDEL_PROBE_STALE builds it with the
// interface version of another build.
#include "platform/base/test_probe_module.h"

namespace {

int twice(int value) { return 2 * value; }

constexpr std::uint32_t kBuiltVersion = quendel::testing::kProbeModuleVersion + (QUENDEL_PROBE_STALE ? 1 : 0);

const quendel::testing::ProbeModule kTable{
    {quendel::platform::kModuleTableMagic, kBuiltVersion, sizeof(quendel::testing::ProbeModule)}, twice};

}  // namespace

extern "C" __attribute__((visibility("default"))) const quendel::platform::ModuleTableHeader* quendelProbeModule() {
  return &kTable.header;
}
