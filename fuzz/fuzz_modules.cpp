// libFuzzer target for the module list's readers of outside data: lines of a process
// map and ELF headers (a file's or a process's memory).
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "support/elf_image.h"
#include "support/proc_maps.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  (void)quendel::parseMapsLine(std::string_view(reinterpret_cast<const char*>(data), size));
  static const int fd = ::memfd_create("fuzz-elf", MFD_CLOEXEC);
  if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
  quendel::ElfLoadInfo info;
  // The size the source claims may exceed what it holds (memory that ends early).
  for (std::uint64_t claimed : {std::uint64_t{size}, std::uint64_t{size} + 4096})
    if (quendel::readElfLoadInfo(fd, 0, claimed, &info)) (void)quendel::preferredBase(info, 0x10000);
  return 0;
}
