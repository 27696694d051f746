// The load layout of an ELF file, read from its headers with every offset bounds-checked,
// and the preferred base address of a mapped module.
//
//   int fd = quendel::openRegularFileNoBlock("/usr/lib/libz.so.1");   // -1: not a file
//   quendel::ElfLoadInfo info;
//   if (fd >= 0 && quendel::readElfLoadInfo(fd, 0, fileSize, &info)) ... info.lowestVaddr
//
// Only 64-bit ELF files of this machine's byte order are read (the only ones a process
// here can load). The headers are read with pread from a source: the file itself, or a
// process's memory (/proc/<pid>/mem) at the address where the file's start is mapped,
// each with the number of bytes the source holds; a header or program header table that
// reaches past them, a program header size other than the ELF64 one, the extended
// count PN_XNUM, or no PT_LOAD header makes the read fail (false, output untouched).
//
// The preferred base address is what the file's program headers ask for: the lowest
// PT_LOAD p_vaddr, rounded down to the page size. A position-independent object (ET_DYN
// whose lowest p_vaddr is 0) asks for no address: it counts as loaded where it asks, so
// its preferred base is its load address and it never shows as relocated.
#pragma once

#include <cstdint>

#include "support/export.h"
#include "support/proc_maps.h"

QUENDEL_EXPORT_BEGIN

namespace quendel {

struct ElfLoadInfo {
  std::uint16_t type = 0;         // ET_EXEC, ET_DYN ...
  std::uint64_t lowestVaddr = 0;  // the lowest PT_LOAD p_vaddr, page-aligned
  std::uint64_t highestEnd = 0;   // the end of the highest PT_LOAD (p_vaddr + p_memsz)
};

// Opens path for reading without ever blocking (O_NONBLOCK, so a FIFO or device named
// there cannot hang the caller) and only when it is a regular file: the descriptor, or
// -1 with errno set (EINVAL for a FIFO, device, folder or socket).
[[nodiscard]] int openRegularFileNoBlock(const char* path);
// Reads exactly n bytes at offset of the source [base, base + size) of fd with pread
// (EINTR retried); false when they reach past the source or the file ends earlier.
[[nodiscard]] bool readSourceBytes(int fd, std::uint64_t base, std::uint64_t size, std::uint64_t offset, void* to,
                                   std::size_t n);
// True when the source holds the ELF magic at base.
[[nodiscard]] bool hasElfMagic(int fd, std::uint64_t base, std::uint64_t size);
// Reads the load layout from the headers in [base, base + size) of the source fd.
[[nodiscard]] bool readElfLoadInfo(int fd, std::uint64_t base, std::uint64_t size, ElfLoadInfo* out);
// The preferred base of a file mapped at loadAddress (its lowest mapping) by the rule above.
std::uint64_t preferredBase(const ElfLoadInfo& info, std::uintptr_t loadAddress);

// The headers of a mapped file as a source: the file itself when the path still names
// the file that is mapped (a regular file of the same device and inode), else the
// process's memory where its start is mapped (a file deleted or replaced since). Closes
// its descriptor.
class MappedHeaders {
 public:
  MappedHeaders() = default;
  MappedHeaders(const MappedHeaders&) = delete;
  MappedHeaders& operator=(const MappedHeaders&) = delete;
  ~MappedHeaders();
  // False when neither source can be opened (errno set).
  [[nodiscard]] bool open(LONG pid, const MappedFile& file);
  int fd() const { return fd_; }
  std::uint64_t base() const { return base_; }
  std::uint64_t size() const { return size_; }

 private:
  int fd_ = -1;
  std::uint64_t base_ = 0, size_ = 0;
};

}  // namespace quendel

QUENDEL_EXPORT_END
