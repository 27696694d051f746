#include "platform/x11/xcb_library.h"

#include <dlfcn.h>
#include <xcb/randr.h>

#include <cstdlib>
#include <string>
#include <type_traits>

#include "platform/x11/xcb_functions.h"
#include "support/codepage.h"
#include "support/quendelsupport.h"

namespace quendel::platform::x11 {
namespace {

constexpr const char* kXcbFile = "libxcb.so.1";
constexpr const char* kXcbFileVariable = "QUENDEL_XCB_LIBRARY";
constexpr const char* kRandrFile = "libxcb-randr.so.0";
constexpr const char* kRandrFileVariable = "QUENDEL_XCB_RANDR_LIBRARY";
constexpr const char* kRandrExtensionSymbol = "xcb_randr_id";

void debugLine(const std::string& text) { (void)asOutputDebugString(cp::fromUtf8(text)); }

std::string loaderMessage() {
  const char* message = dlerror();
  return message ? message : "no message";
}

// Opens the library once, for the life of the process (xcb keeps no state worth
// unloading, and connections may outlive any caller); null when it cannot be opened.
// `without` says what the process then goes without.
void* openLibrary(const char* file, const char* variable, const char* without) {
  const char* chosen = secure_getenv(variable);
  std::string path = chosen && *chosen ? chosen : file;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) debugLine("x11: " + path + " cannot be loaded (" + loaderMessage() + "); " + without);
  return handle;
}

void* xcbHandle() {
  static void* const handle = openLibrary(kXcbFile, kXcbFileVariable, "no display");
  return handle;
}

void* randrHandle() {
  // libxcb-randr calls libxcb, so it is only worth loading when libxcb itself loads.
  static void* const handle = xcbHandle() ? openLibrary(kRandrFile, kRandrFileVariable, "no RandR monitors") : nullptr;
  return handle;
}

void* symbol(void* handle, const char* name) {
  if (!handle) return nullptr;
  void* found = dlsym(handle, name);
  if (!found) debugLine(std::string("x11: ") + name + " not found (" + loaderMessage() + ")");
  return found;
}

// Stands for libxcb's connection in error while libxcb is missing; never dereferenced.
struct MissingConnection {
  int unused = 0;
} missingConnection;

// What an entry returns when its function cannot be reached: what libxcb returns for a
// connection in error.
template <auto Function, class Result>
Result whenMissing() {
  if constexpr (!std::is_void_v<Result>) return Result{};
}
template <>
xcb_connection_t* whenMissing<&::xcb_connect, xcb_connection_t*>() {
  return reinterpret_cast<xcb_connection_t*>(&missingConnection);
}
template <>
int whenMissing<&::xcb_connection_has_error, int>() {
  return XCB_CONN_ERROR;
}
template <>
int whenMissing<&::xcb_get_file_descriptor, int>() {
  return -1;
}

}  // namespace

xcb_extension_t* randrExtension() {
  static auto* const extension = static_cast<xcb_extension_t*>(symbol(randrHandle(), kRandrExtensionSymbol));
  return extension;
}

}  // namespace quendel::platform::x11

// The entries. Each finds its function once (thread-safe static initialisation) and
// is hidden, so that it binds only the platform library's own calls.
#define QUENDEL_XCB_ENTRY(handle, Result, name, parameters, arguments)                     \
  extern "C" __attribute__((visibility("hidden"))) Result name parameters {                \
    using namespace quendel::platform::x11;                                                \
    static const auto real = reinterpret_cast<decltype(&::name)>(symbol(handle(), #name)); \
    if (!real) return whenMissing<&::name, Result>();                                      \
    return real arguments;                                                                 \
  }
#define QUENDEL_XCB_CORE_ENTRY(Result, name, parameters, arguments) \
  QUENDEL_XCB_ENTRY(xcbHandle, Result, name, parameters, arguments)
#define QUENDEL_XCB_RANDR_ENTRY(Result, name, parameters, arguments) \
  QUENDEL_XCB_ENTRY(randrHandle, Result, name, parameters, arguments)

QUENDEL_XCB_FUNCTIONS(QUENDEL_XCB_CORE_ENTRY)
QUENDEL_XCB_RANDR_FUNCTIONS(QUENDEL_XCB_RANDR_ENTRY)
