// Test support: small hand-made ELF files, for the tests of the module readers.
//
//   writeFile(path, elfBytes(ET_EXEC, {{PT_LOAD, 0x400000, 0x1000}}));
#pragma once

#include <elf.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::testing {

struct Segment {
  std::uint32_t type;
  std::uint64_t vaddr, memsz;
};

// The bytes of a small ELF64 file of this machine with the given program headers.
inline std::string elfBytes(std::uint16_t type, const std::vector<Segment>& segments) {
  Elf64_Ehdr eh{};
  std::memcpy(eh.e_ident, ELFMAG, SELFMAG);
  eh.e_ident[EI_CLASS] = ELFCLASS64;
  eh.e_ident[EI_DATA] = ELFDATA2LSB;
  eh.e_ident[EI_VERSION] = EV_CURRENT;
  eh.e_type = type;
  eh.e_machine = EM_X86_64;
  eh.e_version = EV_CURRENT;
  eh.e_phoff = sizeof eh;
  eh.e_ehsize = sizeof eh;
  eh.e_phentsize = sizeof(Elf64_Phdr);
  eh.e_phnum = static_cast<std::uint16_t>(segments.size());
  std::string bytes(reinterpret_cast<const char*>(&eh), sizeof eh);
  for (const Segment& s : segments) {
    Elf64_Phdr ph{};
    ph.p_type = s.type;
    ph.p_vaddr = s.vaddr;
    ph.p_memsz = s.memsz;
    ph.p_align = 0x1000;
    bytes.append(reinterpret_cast<const char*>(&ph), sizeof ph);
  }
  return bytes;
}

inline void writeFile(const std::string& path, const std::string& bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  ::close(fd);
}

}  // namespace quendel::testing

QUENDEL_EXPORT_END
