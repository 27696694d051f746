#include "platform/resources/module_resources.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>

#include "support/elf_section.h"

namespace quendel::resources {

namespace {

DWORD openError(int error) {
  switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    default: return ERROR_ACCESS_DENIED;
  }
}

}  // namespace

DWORD fileResources(const std::string& path, ResourceSection* out) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return openError(errno);
  std::string bytes;
  if (!readElfSection(path, kSectionName, &bytes)) return ERROR_RESOURCE_DATA_NOT_FOUND;
  if (!ResourceSection::parse(std::move(bytes), out)) return ERROR_RESOURCE_DATA_NOT_FOUND;
  return ERROR_SUCCESS;
}

DWORD moduleResources(HINSTANCE module, ResourceSection* out) {
  std::string path;
  if (!module || !loadedModulePath(reinterpret_cast<std::uintptr_t>(module), &path)) return ERROR_MOD_NOT_FOUND;
  return fileResources(path, out);
}

}  // namespace quendel::resources
