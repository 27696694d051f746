#include "support/elf_section.h"

#include <elf.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "support/elf_image.h"

namespace {

// A section name table beyond this is damaged.
constexpr std::uint64_t kMaxNameTable = 1u << 20;

// Closes a descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool fits(std::uint64_t offset, std::uint64_t size, std::uint64_t total) {
  return offset <= total && size <= total - offset;
}

// Where a section lies in the file, found through an access function that reads
// byte ranges of the image; false for a damaged image or no such section.
template <typename ReadFn>
bool findSection(ReadFn&& read, std::uint64_t total, std::string_view name, Elf64_Shdr* found) {
  Elf64_Ehdr eh;
  if (total < sizeof eh || !read(0, &eh, sizeof eh)) return false;
  if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64) return false;
  // e_shnum is 16 bits, so the table is at most 65535 entries (4 MiB); fits() bounds it by the file.
  if (eh.e_shentsize != sizeof(Elf64_Shdr) || eh.e_shoff == 0 ||
      !fits(eh.e_shoff, std::uint64_t{eh.e_shnum} * sizeof(Elf64_Shdr), total) || eh.e_shstrndx >= eh.e_shnum)
    return false;
  std::vector<Elf64_Shdr> headers(eh.e_shnum);
  if (!read(eh.e_shoff, headers.data(), headers.size() * sizeof(Elf64_Shdr))) return false;
  const Elf64_Shdr& names = headers[eh.e_shstrndx];
  if (names.sh_size > kMaxNameTable || !fits(names.sh_offset, names.sh_size, total)) return false;
  std::string table(names.sh_size, '\0');
  if (!read(names.sh_offset, table.data(), table.size())) return false;
  for (const Elf64_Shdr& sh : headers) {
    if (sh.sh_name >= table.size() || sh.sh_type == SHT_NOBITS) continue;
    std::string_view rest = std::string_view(table).substr(sh.sh_name);
    std::size_t end = rest.find('\0');
    if (end == std::string_view::npos || rest.substr(0, end) != name) continue;
    if (!fits(sh.sh_offset, sh.sh_size, total)) return false;
    *found = sh;
    return true;
  }
  return false;
}

struct ModuleLookup {
  std::uintptr_t handle;
  std::string path;
  bool found = false;
};

int matchModule(dl_phdr_info* info, std::size_t, void* data) {
  auto* look = static_cast<ModuleLookup*>(data);
  // A module's handle is the address its first loaded segment is mapped at.
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    if (info->dlpi_phdr[i].p_type != PT_LOAD) continue;
    if (info->dlpi_addr + info->dlpi_phdr[i].p_vaddr != look->handle) return 0;
    look->path = info->dlpi_name && *info->dlpi_name ? info->dlpi_name : "/proc/self/exe";
    look->found = true;
    return 1;
  }
  return 0;
}

}  // namespace

namespace quendel {

std::string_view elfSectionIn(std::string_view image, std::string_view name) {
  auto read = [&](std::uint64_t offset, void* into, std::size_t size) {
    if (!fits(offset, size, image.size())) return false;
    std::memcpy(into, image.data() + offset, size);
    return true;
  };
  Elf64_Shdr sh{};
  if (!findSection(read, image.size(), name, &sh)) return {};
  return image.substr(sh.sh_offset, sh.sh_size);
}

bool readElfSection(const std::string& path, std::string_view name, std::string* out) {
  // Only regular files: a FIFO or device named by a caller must not block or stream.
  Fd fd(openRegularFileNoBlock(path.c_str()));
  struct stat st {};
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) return false;
  auto total = static_cast<std::uint64_t>(st.st_size);
  auto read = [&](std::uint64_t offset, void* into, std::size_t size) {
    return readSourceBytes(fd.get(), 0, total, offset, into, size);
  };
  Elf64_Shdr sh{};
  if (!findSection(read, total, name, &sh)) return false;
  std::string bytes(sh.sh_size, '\0');
  if (!readSourceBytes(fd.get(), 0, total, sh.sh_offset, bytes.data(), bytes.size())) return false;
  *out = std::move(bytes);
  return true;
}

bool loadedModulePath(std::uintptr_t handle, std::string* out) {
  ModuleLookup look{handle, {}};
  dl_iterate_phdr(matchModule, &look);
  if (!look.found) return false;
  *out = std::move(look.path);
  return true;
}

}  // namespace quendel
