// The in-process server entry points of the library, with C linkage.
#include <dlfcn.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "automation/activation.h"
#include "support/export.h"
#include "toolvane/frame/class_registration.h"
#include "toolvane/frame/library_object.h"
#include "toolvane/frame/registration.h"
#include "toolvane/frame/system_information_program.h"
#include "toolvane/frame/type_library.h"

namespace quendel::toolvane {
namespace {

class Factory : public ClassFactory {
 public:
  explicit Factory(const ClassDesc& desc) : desc_(desc) {}
  ObjectPtr createInstance() override { return desc_.create(); }

 private:
  const ClassDesc& desc_;
};

// The library's absolute path under the name it was loaded by: the folder resolved, the
// file name kept, so that registering through "libtoolvane0305.so" (a link to the versioned
// file) stays right when an update moves the link to a newer file.
std::string thisLibraryPath() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&thisLibraryPath), &info) || !info.dli_fname) return {};
  std::string loaded = info.dli_fname;  // not const: returned by move
  const auto slash = loaded.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : loaded.substr(0, slash == 0 ? 1 : slash);
  char* real = realpath(folder.c_str(), nullptr);
  if (!real) return loaded;
  std::string p = real;
  free(real);
  return (p == "/" ? p : p + "/") + loaded.substr(slash == std::string::npos ? 0 : slash + 1);
}

}  // namespace
}  // namespace quendel::toolvane

using namespace quendel::toolvane;

extern "C" QUENDEL_EXPORT HRESULT DllGetClassObject(const CLSID* clsid, const IID* iid, void** factory) {
  (void)iid;
  if (!clsid || !factory) return E_POINTER;
  // Only the class asked for builds its member table.
  const ClassDesc* c = ClassRegistration::find(*clsid);
  if (!c) return CLASS_E_CLASSNOTAVAILABLE;
  if (!c->create) return CLASS_E_CLASSNOTAVAILABLE;  // not creatable by clients
  static std::mutex m;
  static std::map<GUID, std::unique_ptr<Factory>> factories;
  std::lock_guard<std::mutex> lock(m);
  auto& f = factories[*clsid];
  if (!f) f = std::make_unique<Factory>(*c);
  *factory = static_cast<quendel::automation::ClassFactory*>(f.get());
  return S_OK;
}

extern "C" QUENDEL_EXPORT HRESULT DllCanUnloadNow() { return LibraryObject::liveObjects() == 0 ? S_OK : S_FALSE; }

extern "C" QUENDEL_EXPORT HRESULT DllRegisterServer() {
  HRESULT hr = registerServer(typeLibrary(), thisLibraryPath());
  if (FAILED(hr)) return hr;
  // The About box's "System Info" button starts the program recorded here.
  return registerSystemInformationProgram();
}

extern "C" QUENDEL_EXPORT HRESULT DllUnregisterServer() { return unregisterServer(typeLibrary()); }

extern "C" QUENDEL_EXPORT const quendel::automation::TypeLibDesc* QuendelGetTypeLibrary() { return &typeLibrary(); }
