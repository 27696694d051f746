#include "automation/activation.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/registry/registry_key.h"
#include "support/codepage.h"
#include "support/quendelsupport.h"

namespace quendel::automation {

namespace {

std::mutex g_mutex;
std::vector<std::string> g_searchPaths;
std::map<std::string, void*> g_loaded;  // library path -> dlopen handle

// Reads a REG_SZ value of HKEY_CLASSES_ROOT; empty when it is not there.
std::string readClassesRoot(const std::string& subKey, const char* valueName) {
  registry::RegKey key;
  std::string value;
  if (key.open(HKEY_CLASSES_ROOT, subKey.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS) return {};
  if (key.readString(valueName, &value) != ERROR_SUCCESS) return {};
  return value;
}

std::string ansiToFileName(const std::string& ansi) { return cp::toUtf8(cp::ansiToUnicode(ansi)); }

bool isFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string folderOf(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// The folder that holds this runtime's own shared object.
std::string runtimeFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&runtimeFolder), &info) && info.dli_fname) return folderOf(info.dli_fname);
  return {};
}

std::vector<std::string> registrationFreeFolders() {
  std::vector<std::string> folders;
  String exe;
  if (SUCCEEDED(asGetEXEModulePrettyFileName(&exe))) {
    std::string dir = folderOf(cp::toUtf8(exe));
    folders.push_back(dir);
    folders.push_back(dir + "/../lib");
  }
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    folders.insert(folders.end(), g_searchPaths.begin(), g_searchPaths.end());
  }
  if (std::string rt = runtimeFolder(); !rt.empty()) folders.push_back(rt);
  return folders;
}

void* loadServer(const std::string& path) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (auto it = g_loaded.find(path); it != g_loaded.end()) return it->second;
  void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    const char* why = dlerror();
    asDebugPrint(u"Activation: cannot load " + cp::fromUtf8(path) + u": " + cp::fromUtf8(why ? why : "?"));
    return nullptr;
  }
  g_loaded[path] = h;
  return h;
}

HRESULT factoryFrom(void* lib, const CLSID& clsid, ClassFactory** out) {
  auto get = reinterpret_cast<DllGetClassObjectFn>(dlsym(lib, "DllGetClassObject"));
  if (!get) return REGDB_E_CLASSNOTREG;
  void* f = nullptr;
  IID none{};
  HRESULT hr = get(&clsid, &none, &f);
  if (FAILED(hr)) return hr;
  if (!f) return E_UNEXPECTED;
  *out = static_cast<ClassFactory*>(f);
  return S_OK;
}

// The type library a server library hands out; null when it is no server of the family.
const TypeLibDesc* typeLibraryOf(const std::string& path) {
  if (!isFile(path)) return nullptr;
  void* lib = loadServer(path);
  if (!lib) return nullptr;
  auto getLib = reinterpret_cast<QuendelGetTypeLibraryFn>(dlsym(lib, "QuendelGetTypeLibrary"));
  return getLib ? getLib() : nullptr;
}

// Whether a family server library creates clsid. Asking its DllGetClassObject builds the
// member table of that one class, where the type library would build every class's.
bool createsClass(const std::string& path, const CLSID& clsid) {
  if (!isFile(path)) return false;
  void* lib = loadServer(path);
  if (!lib || !dlsym(lib, "QuendelGetTypeLibrary")) return false;
  ClassFactory* factory = nullptr;
  return SUCCEEDED(factoryFrom(lib, clsid, &factory));
}

struct FoundServer {
  std::string path;
  const TypeLibDesc* typeLib = nullptr;  // null when `creates` found the server
};

// Registration-free lookup: the first family server in the search folders that creates
// the class asked for (`creates`, when given) or whose type library satisfies match; an
// empty path when none does.
FoundServer findRegistrationFree(const std::function<bool(const TypeLibDesc&)>& match,
                                 const std::function<bool(const std::string&)>& creates = {}) {
  for (const std::string& folder : registrationFreeFolders()) {
    for (const char* name : kFamilyServers) {
      std::string path = folder + "/" + name;
      if (creates && creates(path)) return FoundServer{path, nullptr};
      const TypeLibDesc* tl = typeLibraryOf(path);
      if (tl && match(*tl)) return FoundServer{path, tl};
    }
  }
  return {};
}

std::string registeredServer(const CLSID& clsid) {
  std::string key = "CLSID\\" + cp::unicodeToAnsi(guidToString(clsid)) + "\\InprocServer32";
  std::string path = ansiToFileName(readClassesRoot(key, ""));
  return isFile(path) ? path : std::string();
}

}  // namespace

void addServerSearchPath(const std::string& folder) {
  std::lock_guard<std::mutex> lock(g_mutex);
  for (const auto& f : g_searchPaths)
    if (f == folder) return;
  g_searchPaths.push_back(folder);
}

std::string serverPathFor(const CLSID& clsid) {
  if (std::string p = registeredServer(clsid); !p.empty()) return p;
  // A class that is there but not creatable is still found through the type library, so
  // that creating it reports CLASS_E_CLASSNOTAVAILABLE rather than "not registered".
  return findRegistrationFree([&](const TypeLibDesc& tl) { return tl.findClass(clsid) != nullptr; },
                              [&](const std::string& path) { return createsClass(path, clsid); })
      .path;
}

HRESULT CoCreateInstance(const CLSID& clsid, ObjectPtr* out) {
  if (!out) return E_POINTER;
  std::string path = serverPathFor(clsid);
  if (path.empty()) return REGDB_E_CLASSNOTREG;
  void* lib = loadServer(path);
  if (!lib) return REGDB_E_CLASSNOTREG;
  ClassFactory* factory = nullptr;
  if (HRESULT hr = factoryFrom(lib, clsid, &factory); FAILED(hr)) return hr;
  try {
    ObjectPtr o = factory->createInstance();
    if (!o) return E_UNEXPECTED;
    *out = std::move(o);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CLSIDFromProgID(std::u16string_view progId, CLSID* out) {
  if (!out) return E_POINTER;
  if (progId.empty() || progId.size() > 39) return CO_E_CLASSSTRING;
  bool lossy = false;
  std::string ansi = cp::unicodeToAnsi(progId, &lossy);
  if (lossy || ansi.find('\\') != std::string::npos) return CO_E_CLASSSTRING;
  std::string text = readClassesRoot(ansi + "\\CLSID", "");
  if (!text.empty()) {
    auto g = parseGuid(cp::ansiToUnicode(text));
    if (!g) return REGDB_E_CLASSNOTREG;
    *out = *g;
    return S_OK;
  }
  // Registration-free: the ProgID is the type library's name, a dot and the class name.
  auto dot = progId.find(u'.');
  if (dot == std::u16string_view::npos) return REGDB_E_CLASSNOTREG;
  const ClassDesc* found = nullptr;
  findRegistrationFree([&](const TypeLibDesc& tl) {
    if (equalsText(progId.substr(0, dot), tl.name)) found = tl.findClass(progId.substr(dot + 1));
    return found != nullptr;
  });
  if (!found) return REGDB_E_CLASSNOTREG;
  *out = found->clsid;
  return S_OK;
}

ObjectPtr coCreateInstance(const CLSID& clsid) {
  ObjectPtr o;
  HRESULT hr = CoCreateInstance(clsid, &o);
  if (FAILED(hr)) throw RuntimeError(hr);
  return o;
}

ObjectPtr createObject(std::u16string_view progIdOrClsid) {
  CLSID clsid;
  if (!progIdOrClsid.empty() && progIdOrClsid.front() == u'{') {
    auto g = parseGuid(progIdOrClsid);
    if (!g) throw RuntimeError(CO_E_CLASSSTRING);
    clsid = *g;
  } else if (HRESULT hr = CLSIDFromProgID(progIdOrClsid, &clsid); FAILED(hr)) {
    throw RuntimeError(hr);
  }
  return coCreateInstance(clsid);
}

const TypeLibDesc* loadTypeLibrary(const GUID& libid) {
  std::string key = "TypeLib\\" + cp::unicodeToAnsi(guidToString(libid)) + "\\1.0\\0\\linux64";
  const TypeLibDesc* registered = typeLibraryOf(ansiToFileName(readClassesRoot(key, "")));
  if (registered && registered->libid == libid) return registered;
  return findRegistrationFree([&](const TypeLibDesc& tl) { return tl.libid == libid; }).typeLib;
}

}  // namespace quendel::automation
