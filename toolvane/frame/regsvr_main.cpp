// toolvane-regsvr [-u] LIBRARY: registers (or with -u unregisters) an in-process server
// library by calling its DllRegisterServer (DllUnregisterServer) export.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "support/win_types.h"

int main(int argc, char** argv) {
  bool unregister = false;
  const char* library = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-u") == 0) {
      unregister = true;
    } else if (!library && argv[i][0] != '-') {
      library = argv[i];
    } else {
      library = nullptr;
      break;
    }
  }
  if (!library) {
    // Messages to the terminal; the exit status reports the outcome even if they are lost.
    (void)std::fprintf(stderr, "Usage: toolvane-regsvr [-u] LIBRARY\n");
    return 2;
  }
  // A bare name would be searched on the library path; a file name is meant.
  std::string path = std::strchr(library, '/') ? library : std::string("./") + library;
  void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    (void)std::fprintf(stderr, "toolvane-regsvr: cannot load %s: %s\n", library, dlerror());
    return 1;
  }
  const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  auto fn = reinterpret_cast<HRESULT (*)()>(dlsym(lib, entry));
  if (!fn) {
    (void)std::fprintf(stderr, "toolvane-regsvr: %s has no %s entry point\n", library, entry);
    return 1;
  }
  HRESULT hr = fn();
  if (FAILED(hr)) {
    (void)std::fprintf(stderr, "toolvane-regsvr: %s failed with 0x%08X\n", entry, static_cast<unsigned>(hr));
    return 1;
  }
  std::printf("%s: %s succeeded\n", library, entry);
  return 0;
}
