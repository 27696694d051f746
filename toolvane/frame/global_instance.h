// The hidden instance of a global class: created on first use, one per process, kept
// until the library is unloaded. Members that the library calls "as if global" go
// through it.
//
//   std::shared_ptr<qndErr> err = globalInstance<qndErr>();   // the same object every call
//   String text = err->GetErrorMessageAPI(5);
#pragma once

#include <memory>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

template <class T>
std::shared_ptr<T> globalInstance() {
  static std::shared_ptr<T> instance = std::make_shared<T>();
  return instance;
}

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
