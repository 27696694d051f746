#include "toolvane/ui_api/ui_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/user/display.h"
#include "support/codepage.h"
#include "support/runtime_error.h"

namespace quendel::toolvane::ui {

namespace {

constexpr const char* kUiLibraryName = QUENDEL_UI_LIBRARY_FILE;

std::mutex loadMutex;
const UiApi* loaded = nullptr;

[[noreturn]] void cannotLoad(const std::string& why) {
  throw RuntimeError(OBJECT_DEFINED_ERROR_BASE, u"Can't load the user-interface library. " + cp::fromUtf8(why));
}

// The folder this library was loaded from; the UI part sits beside it.
std::string ownFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&windowsAvailable), &info) == 0 || !info.dli_fname) return {};
  std::string path = info.dli_fname;
  auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool qtWidgetsLoaded() {
  void* h = dlopen("libQt6Widgets.so.6", RTLD_NOW | RTLD_NOLOAD);
  if (!h) return false;
  dlclose(h);
  return true;
}

}  // namespace

const UiApi& api() {
  std::lock_guard lock(loadMutex);
  if (loaded) return *loaded;
  std::string path = ownFolder() + kUiLibraryName;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* error = dlerror();
    cannotLoad(error ? error : path);
  }
  using EntryFn = const UiApi* (*)();
  auto entry = reinterpret_cast<EntryFn>(dlsym(handle, "quendelToolvaneUiApi"));
  const UiApi* table = entry ? entry() : nullptr;
  if (!table) cannotLoad(path + ": no entry table");
  if (table->version < kUiApiVersion) cannotLoad(path + ": older than the library");
  // The object stays loaded for the life of the process: the toolkit cannot be unloaded.
  loaded = table;
  return *loaded;
}

bool isLoaded() {
  std::lock_guard lock(loadMutex);
  return loaded != nullptr;
}

bool windowsAvailable() {
  if ((isLoaded() || qtWidgetsLoaded()) && api().applicationRuns()) return true;
  if (const char* platform = std::getenv("QT_QPA_PLATFORM");
      platform && *platform && std::strncmp(platform, "xcb", 3) != 0)
    return true;
  return platform::displayCanBeOpened();
}

}  // namespace quendel::toolvane::ui
