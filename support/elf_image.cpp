#include "support/elf_image.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

namespace quendel {
namespace {

constexpr unsigned char kNativeData = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;

std::uint64_t pageSize() {
  long size = ::sysconf(_SC_PAGESIZE);
  return size > 0 ? static_cast<std::uint64_t>(size) : 4096;
}

}  // namespace

bool readSourceBytes(int fd, std::uint64_t base, std::uint64_t size, std::uint64_t offset, void* to, std::size_t n) {
  if (offset > size || n > size - offset) return false;
  const std::uint64_t at = base + offset;
  if (at < base || at > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return false;
  auto* p = static_cast<char*>(to);
  while (n > 0) {
    ssize_t got = ::pread(fd, p, n, static_cast<off_t>(at + static_cast<std::uint64_t>(p - static_cast<char*>(to))));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    p += got;
    n -= static_cast<std::size_t>(got);
  }
  return true;
}

int openRegularFileNoBlock(const char* path) {
  int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  return fd;
}

bool hasElfMagic(int fd, std::uint64_t base, std::uint64_t size) {
  unsigned char magic[SELFMAG];
  return readSourceBytes(fd, base, size, 0, magic, sizeof magic) && std::memcmp(magic, ELFMAG, SELFMAG) == 0;
}

bool readElfLoadInfo(int fd, std::uint64_t base, std::uint64_t size, ElfLoadInfo* out) {
  Elf64_Ehdr eh{};
  if (!readSourceBytes(fd, base, size, 0, &eh, sizeof eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 ||
      eh.e_ident[EI_CLASS] != ELFCLASS64 || eh.e_ident[EI_DATA] != kNativeData ||
      eh.e_phentsize != sizeof(Elf64_Phdr) || eh.e_phnum == 0 || eh.e_phnum == PN_XNUM)
    return false;
  // The whole table must lie inside the source before anything is allocated for it.
  const std::uint64_t tableBytes = std::uint64_t{eh.e_phnum} * sizeof(Elf64_Phdr);
  if (eh.e_phoff > size || tableBytes > size - eh.e_phoff) return false;
  std::vector<Elf64_Phdr> table(eh.e_phnum);
  if (!readSourceBytes(fd, base, size, eh.e_phoff, table.data(), tableBytes)) return false;
  ElfLoadInfo info;
  info.type = eh.e_type;
  bool anyLoad = false;
  std::uint64_t lowest = std::numeric_limits<std::uint64_t>::max();
  for (const Elf64_Phdr& ph : table) {
    if (ph.p_type != PT_LOAD) continue;
    anyLoad = true;
    if (ph.p_vaddr < lowest) lowest = ph.p_vaddr;
    std::uint64_t end = ph.p_vaddr + ph.p_memsz;
    if (end < ph.p_vaddr) return false;  // a segment that wraps around the address space
    if (end > info.highestEnd) info.highestEnd = end;
  }
  if (!anyLoad) return false;
  info.lowestVaddr = lowest & ~(pageSize() - 1);
  *out = info;
  return true;
}

std::uint64_t preferredBase(const ElfLoadInfo& info, std::uintptr_t loadAddress) {
  if (info.type == ET_DYN && info.lowestVaddr == 0) return loadAddress;
  return info.lowestVaddr;
}

MappedHeaders::~MappedHeaders() {
  if (fd_ >= 0) ::close(fd_);
}

bool MappedHeaders::open(LONG pid, const MappedFile& file) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  int fd = openRegularFileNoBlock(file.path.c_str());
  if (fd >= 0) {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_ino == file.inode && ::major(st.st_dev) == file.devMajor &&
        ::minor(st.st_dev) == file.devMinor) {
      fd_ = fd;
      base_ = 0;
      size_ = static_cast<std::uint64_t>(st.st_size);
      return true;
    }
    ::close(fd);
  }
  // Deleted or replaced: the bytes that are mapped are the file that was loaded.
  if (file.headerSize == 0) {
    errno = ENOENT;
    return false;
  }
  fd = ::open((procFolder(pid) + "/mem").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  fd_ = fd;
  base_ = file.headerAddress;
  size_ = file.headerSize;
  return true;
}

}  // namespace quendel
