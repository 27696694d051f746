#include "platform/base/on_demand_module.h"

#include <dlfcn.h>

#include <cstdlib>

#include "support/codepage.h"
#include "support/quendelsupport.h"

namespace quendel::platform {

namespace {

constexpr const char* kModuleDirVariable = "QUENDEL_MODULE_DIR";
constexpr const char* kModuleSubfolder = "/quendel";

using EntryFn = const ModuleTableHeader* (*)();

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string describe(const char* what) { return what ? what : "unknown error"; }

}  // namespace

OnDemandModule::OnDemandModule(const char* fileName, const char* entry, std::uint32_t version, std::uint32_t tableSize)
    : fileName_(fileName), entry_(entry), version_(version), tableSize_(tableSize) {}

std::string OnDemandModule::folder() {
  if (const char* dir = secure_getenv(kModuleDirVariable); dir && *dir) return dir;
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&OnDemandModule::folder), &info) && info.dli_fname)
    return folderOf(info.dli_fname) + kModuleSubfolder;
  return {};
}

const void* OnDemandModule::load() {
  std::call_once(once_, [this] {
    table_ = open();
    if (!table_) (void)asDebugPrint(BStr(u"module ") + cp::fromUtf8(fileName_) + u": " + cp::fromUtf8(error_));
  });
  return table_;
}

const void* OnDemandModule::open() {
  const std::string path = folder() + "/" + fileName_;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    error_ = describe(dlerror());
    return nullptr;
  }
  auto entry = reinterpret_cast<EntryFn>(dlsym(handle, entry_));
  if (!entry) {
    error_ = path + ": no entry " + entry_;
    dlclose(handle);
    return nullptr;
  }
  const ModuleTableHeader* header = entry();
  if (!header || header->magic != kModuleTableMagic || header->version != version_ || header->size != tableSize_) {
    error_ = path + ": a module of another build (interface " + std::to_string(header ? header->version : 0) +
             ", this library expects " + std::to_string(version_) + ")";
    dlclose(handle);
    return nullptr;
  }
  return header;
}

}  // namespace quendel::platform
