// For tests of code that raises run-time errors: the number raised, or 0 when the call
// returned normally.
//
//   EXPECT_EQ(errorOf([&] { c->item(Variant(0)); }), 9);
#pragma once

#include <functional>

#include "support/runtime_error.h"

namespace quendel::automation::testing {

inline LONG errorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

}  // namespace quendel::automation::testing
