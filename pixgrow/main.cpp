// Pixgrow: enlarges a small picture to twice its width and height (mod_main.h).
#include <cstdio>

#include "pixgrow/mod_main.h"
#include "support/codepage.h"

int main() {
  try {
    return quendel::pixgrow::Main();
  } catch (const quendel::RuntimeError& e) {
    // Only the library's own objects can fail this far out (the library missing or not
    // registered); there is no error-text builder then, so the bare error is shown.
    const std::string text = quendel::cp::toUtf8(e.description());
    // The exit status reports the failure even when standard output is closed.
    (void)std::fprintf(stdout, "Error %d: %s\n", static_cast<int>(e.number()), text.c_str());
    return quendel::pixgrow::kExitFailed;
  }
}
