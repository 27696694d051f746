#include "toolvane/frame/class_registration.h"

#include "support/guid.h"

namespace quendel::toolvane {

const automation::ClassDesc* ClassRegistration::find(const GUID& clsid) {
  for (const Entry& e : registered())
    if (guidFromLiteral(e.clsid) == clsid) return &e.describe();
  return nullptr;
}

}  // namespace quendel::toolvane
