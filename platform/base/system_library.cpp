#include "platform/base/system_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "support/codepage.h"
#include "support/quendelsupport.h"

namespace quendel::platform {

namespace {

void debugLine(const std::string& text) { (void)asOutputDebugString(cp::fromUtf8(text)); }

std::string loaderMessage() {
  const char* message = dlerror();
  return message ? message : "no message";
}

}  // namespace

void* openSystemLibrary(const char* file, const char* variable, const char* facility, const char* without) {
  const char* chosen = secure_getenv(variable);
  std::string path = chosen && *chosen ? chosen : file;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle)
    debugLine(std::string(facility) + ": " + path + " cannot be loaded (" + loaderMessage() + "); " + without);
  return handle;
}

void* systemLibraryFunction(void* handle, const char* facility, const char* name) {
  if (!handle) return nullptr;
  void* found = dlsym(handle, name);
  if (!found) debugLine(std::string(facility) + ": " + name + " not found (" + loaderMessage() + ")");
  return found;
}

}  // namespace quendel::platform
