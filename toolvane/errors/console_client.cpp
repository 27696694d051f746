// A console client of the library, run by console_client_test.cpp: it uses the error
// texts and the display members without a display, then reports whether the UI toolkit
// or the library's UI part got loaded into it. Exit status 0: not loaded; 1: loaded; 2: a
// call failed.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "automation/err_object.h"
#include "support/codepage.h"
#include "toolvane/errors/qnd_err.h"
#include "toolvane/frame/global_instance.h"

using namespace quendel;
using namespace quendel::toolvane;

namespace {

bool guiLoaded() {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  bool found = false;
  while (std::getline(maps, line)) {
    if (line.find("libQt") != std::string::npos || line.find("toolvane0305ui") != std::string::npos) {
      // The test reads this output and the exit status; a lost line fails it either way.
      (void)std::fprintf(stdout, "loaded: %s\n", line.c_str());
      found = true;
    }
  }
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  std::string step = argc > 1 ? argv[1] : "all";
  try {
    auto err = globalInstance<qndErr>();
    auto e = automation::ErrObject::create(RuntimeError(53, u"", u"client").info());
    std::string text = cp::toUtf8(err->GetErrorMessage(automation::Variant(e)));
    (void)std::fprintf(stdout, "%s\n", text.c_str());
    if (guiLoaded()) return 1;
    if (step == "text") return 0;
    // Without a display the boxes go to standard error and answer at once.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    LONG timed = err->ShowErrorBox(u"Disk full", 4 | 48, automation::Variant(u"Backup"));
    LONG standard = err->ErrorDisplayAPI(5, 1, u"Backup", u"Can't write the archive.");
    LONG display = err->ErrorDisplay(automation::Variant(e));
    (void)std::fprintf(stdout, "results %d %d %d\n", timed, standard, display);
    if (timed != 6 || standard != 1 || display != 1) return 2;
  } catch (const RuntimeError& ex) {
    (void)std::fprintf(stdout, "error %d: %s\n", ex.number(), ex.what());
    return 2;
  }
  return guiLoaded() ? 1 : 0;
}
