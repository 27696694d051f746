#include "platform/x11/xcb_library.h"

#include <xcb/randr.h>

#include <type_traits>

#include "platform/base/system_library.h"
#include "platform/x11/xcb_functions.h"

namespace quendel::platform::x11 {
namespace {

constexpr const char* kXcbFile = "libxcb.so.1";
constexpr const char* kXcbFileVariable = "QUENDEL_XCB_LIBRARY";
constexpr const char* kRandrFile = "libxcb-randr.so.0";
constexpr const char* kRandrFileVariable = "QUENDEL_XCB_RANDR_LIBRARY";
constexpr const char* kRandrExtensionSymbol = "xcb_randr_id";

constexpr const char* kFacility = "x11";

void* xcbHandle() {
  static void* const handle = openSystemLibrary(kXcbFile, kXcbFileVariable, kFacility, "no display");
  return handle;
}

void* randrHandle() {
  // libxcb-randr calls libxcb, so it is only worth loading when libxcb itself loads.
  static void* const handle =
      xcbHandle() ? openSystemLibrary(kRandrFile, kRandrFileVariable, kFacility, "no RandR monitors") : nullptr;
  return handle;
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
  static auto* const extension =
      static_cast<xcb_extension_t*>(systemLibraryFunction(randrHandle(), kFacility, kRandrExtensionSymbol));
  return extension;
}

}  // namespace quendel::platform::x11

// The entries (system_library.h).
#define QUENDEL_XCB_CORE_ENTRY(Result, name, parameters, arguments)                                  \
  QUENDEL_SYSTEM_LIBRARY_ENTRY(quendel::platform::x11::kFacility, quendel::platform::x11::xcbHandle, \
                               quendel::platform::x11::whenMissing, Result, name, parameters, arguments)
#define QUENDEL_XCB_RANDR_ENTRY(Result, name, parameters, arguments)                                   \
  QUENDEL_SYSTEM_LIBRARY_ENTRY(quendel::platform::x11::kFacility, quendel::platform::x11::randrHandle, \
                               quendel::platform::x11::whenMissing, Result, name, parameters, arguments)

QUENDEL_XCB_FUNCTIONS(QUENDEL_XCB_CORE_ENTRY)
QUENDEL_XCB_RANDR_FUNCTIONS(QUENDEL_XCB_RANDR_ENTRY)
