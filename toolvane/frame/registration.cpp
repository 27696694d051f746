#include "toolvane/frame/registration.h"

#include "platform/registry/registry.h"
#include "platform/registry/registry_key.h"
#include "support/codepage.h"
#include "toolvane/frame/library_object.h"

namespace quendel::toolvane {

namespace {

std::string ansi(const String& s) { return cp::unicodeToAnsi(s); }
std::string guidText(const GUID& g) { return ansi(guidToString(g)); }

std::string folderOf(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool creatable(const ClassDesc& c) {
  return c.instancing == Instancing::Global || c.instancing == Instancing::Creatable;
}

}  // namespace

std::vector<RegistryEntry> registrationEntries(const TypeLibDesc& tl, const std::string& libraryPath) {
  // The path is a Linux file name (UTF-8); the registry's A functions take ANSI text.
  std::string path = cp::unicodeToAnsi(cp::fromUtf8(libraryPath));
  std::string libid = guidText(tl.libid);
  std::string version = std::to_string(tl.major) + "." + std::to_string(tl.minor);
  std::vector<RegistryEntry> e;
  for (const ClassDesc* c : tl.classes) {
    std::string progId = ansi(tl.name) + "." + ansi(c->name);
    std::string clsid = guidText(c->clsid);
    if (creatable(*c)) {
      std::string k = "CLSID\\" + clsid;
      e.push_back({k, "", progId});
      e.push_back({k + "\\InprocServer32", "", path});
      e.push_back({k + "\\InprocServer32", "ThreadingModel", "Apartment"});
      e.push_back({k + "\\ProgID", "", progId});
      e.push_back({k + "\\VERSION", "", version});
      e.push_back({k + "\\TypeLib", "", libid});
      e.push_back({progId, "", progId});
      e.push_back({progId + "\\CLSID", "", clsid});
    }
    std::string ik = "Interface\\" + guidText(c->iid);
    e.push_back({ik, "", "_" + ansi(c->name)});
    e.push_back({ik + "\\TypeLib", "", libid});
    e.push_back({ik + "\\TypeLib", "Version", version});
    if (c->events) {
      std::string ek = "Interface\\" + guidText(c->events->iid);
      e.push_back({ek, "", ansi(c->events->name)});
      e.push_back({ek + "\\TypeLib", "", libid});
      e.push_back({ek + "\\TypeLib", "Version", version});
    }
  }
  std::string tk = "TypeLib\\" + libid + "\\" + version;
  e.push_back({tk, "", ansi(tl.help)});
  e.push_back({tk + "\\0\\linux64", "", path});
  e.push_back({tk + "\\FLAGS", "", "0"});
  e.push_back({tk + "\\HELPDIR", "", cp::unicodeToAnsi(cp::fromUtf8(folderOf(libraryPath)))});
  return e;
}

std::vector<std::string> registrationKeys(const TypeLibDesc& tl) {
  std::vector<std::string> keys;
  for (const ClassDesc* c : tl.classes) {
    if (creatable(*c)) {
      keys.push_back("CLSID\\" + guidText(c->clsid));
      keys.push_back(ansi(tl.name) + "." + ansi(c->name));
    }
    keys.push_back("Interface\\" + guidText(c->iid));
    if (c->events) keys.push_back("Interface\\" + guidText(c->events->iid));
  }
  keys.push_back("TypeLib\\" + guidText(tl.libid));
  return keys;
}

HRESULT registerServer(const TypeLibDesc& tl, const std::string& libraryPath) {
  for (const RegistryEntry& entry : registrationEntries(tl, libraryPath)) {
    registry::RegKey key;
    if (key.create(HKEY_CLASSES_ROOT, entry.key.c_str(), KEY_SET_VALUE) != ERROR_SUCCESS) return SELFREG_E_CLASS;
    if (key.writeString(entry.valueName.empty() ? nullptr : entry.valueName.c_str(), entry.value) != ERROR_SUCCESS)
      return SELFREG_E_CLASS;
  }
  return S_OK;
}

HRESULT unregisterServer(const TypeLibDesc& tl) {
  HRESULT result = S_OK;
  for (const std::string& k : registrationKeys(tl)) {
    LONG status = SHDeleteKeyA(HKEY_CLASSES_ROOT, k.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && status != ERROR_PATH_NOT_FOUND)
      result = SELFREG_E_CLASS;
  }
  return result;
}

}  // namespace quendel::toolvane
