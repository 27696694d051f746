// For tests of code that raises run-time errors: what the call raised, or nothing.
//
//   EXPECT_EQ(errorOf([&] { c->item(Variant(0)); }), 9);   // the number, 0 when none
//   ErrorInfo e = errorInfoOf([&] { raiseOnFailure(DISP_E_OVERFLOW); });
//   EXPECT_EQ(e.description, u"Overflow");                 // number 0 when none
//
// Only RuntimeError is caught: any other exception still fails the test.
//
//   ScopedEnv d("DISPLAY", ":42");   // set (nullptr: unset) for one scope, then put back
#pragma once

#include <cstdlib>
#include <functional>
#include <string>

#include "support/export.h"
#include "support/runtime_error.h"

QUENDEL_EXPORT_BEGIN

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

// Sets or unsets an environment variable for one scope and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (had_)
      ::setenv(name_.c_str(), old_.c_str(), 1);
    else
      ::unsetenv(name_.c_str());
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_, old_;
  bool had_ = false;
};

}  // namespace quendel::testing

QUENDEL_EXPORT_END
