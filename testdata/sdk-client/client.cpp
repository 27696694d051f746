// A client built outside the source tree against the installed library: it creates two
// classes by ProgID, calls members by name and prints what they answer.
#include <cstdio>

#include "automation/activation.h"
#include "automation/err_object.h"
#include "support/codepage.h"
#include "support/runtime_error.h"

using namespace quendel::automation;

int main() {
  try {
    ObjectPtr main = createObject(u"TvFuncs0305.qndMain");
    ObjectPtr parser = main->get(u"CommandLine").toObject();
    parser->call(u"SetNewCommandLine", {Variant(String(u"3p \"a b.png\" c.png"))});
    ObjectPtr err = createObject(u"TvFuncs0305.qndErr");
    Variant error(ErrObject::create(quendel::RuntimeError(53).info()));
    String message = err->call(u"GetErrorMessage", {error}).toString();
    std::printf("count=%d item1=%s\nmessage=%s\n", static_cast<int>(parser->get(u"Count").toLong()),
                quendel::cp::toUtf8(parser->get(u"Item", {Variant(LONG{1})}).toString()).c_str(),
                quendel::cp::toUtf8(message).c_str());
    return 0;
  } catch (const quendel::RuntimeError& e) {
    std::fprintf(stderr, "run-time error %d\n", static_cast<int>(e.info().number));
    return 1;
  }
}
