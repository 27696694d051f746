// The memory map of a process, as /proc/<pid>/maps lists it, and the files mapped in it.
//
//   std::vector<quendel::MapsEntry> maps;
//   if (quendel::readProcMaps(0, &maps))                        // 0: this process
//     for (const quendel::MappedFile& f : quendel::mappedFiles(maps)) use(f.low, f.high, f.path);
//
// A line reads "low-high perms offset major:minor inode   path"; the path is the rest of
// the line (it may hold blanks), empty for anonymous memory, "[vdso]", "[heap]" and the
// like for the kernel's own areas, and ends in " (deleted)" for a file removed since it
// was mapped. A mapped file is a real file (inode not 0, absolute path); its mappings are
// grouped by device, inode and path in the order of their first address.
// parseMapsLine gives nothing for a malformed line; readProcMaps false (errno set) when
// the map cannot be read (no such process, no permission).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

namespace quendel {

struct MapsEntry {
  std::uintptr_t low = 0, high = 0;  // [low, high)
  std::string perms;                 // "r-xp"
  std::uint64_t offset = 0;          // of the file, where low is mapped
  unsigned devMajor = 0, devMinor = 0;
  std::uint64_t inode = 0;
  std::string path;
  bool isFile() const { return inode != 0 && !path.empty() && path[0] == '/'; }
  bool readable() const { return !perms.empty() && perms[0] == 'r'; }
};

struct MappedFile {
  std::uintptr_t low = 0, high = 0;  // lowest and highest address of its mappings
  std::string path;
  unsigned devMajor = 0, devMinor = 0;
  std::uint64_t inode = 0;
  // Where its first bytes (file offset 0) are mapped, and how many are readable there;
  // 0 and 0 when its start is not mapped or not readable.
  std::uintptr_t headerAddress = 0;
  std::uint64_t headerSize = 0;
};

// "/proc/self" for pid 0 or this process's own id, else "/proc/<pid>".
std::string procFolder(LONG pid);
std::optional<MapsEntry> parseMapsLine(std::string_view line);
[[nodiscard]] bool readProcMaps(LONG pid, std::vector<MapsEntry>* out);
std::vector<MappedFile> mappedFiles(const std::vector<MapsEntry>& maps);
// The mapped file one of whose mappings holds address, if any.
std::optional<MappedFile> mappedFileAt(const std::vector<MapsEntry>& maps, std::uintptr_t address);

}  // namespace quendel

QUENDEL_EXPORT_END
