// For tests of code that raises run-time errors: what the call raised, or nothing.
//
//   EXPECT_EQ(errorOf([&] { c->item(Variant(0)); }), 9);   // the number, 0 when none
//   ErrorInfo e = errorInfoOf([&] { raiseOnFailure(DISP_E_OVERFLOW); });
//   EXPECT_EQ(e.description, u"Overflow");                 // number 0 when none
//
// Only RuntimeError is caught: any other exception still fails the test.
#pragma once

#include <functional>

#include "support/runtime_error.h"

namespace quendel::testing {

inline ErrorInfo errorInfoOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.info();
  }
  return {};
}

inline LONG errorOf(const std::function<void()>& f) { return errorInfoOf(f).number; }

}  // namespace quendel::testing
