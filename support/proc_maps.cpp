#include "support/proc_maps.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstddef>
#include <map>
#include <tuple>

namespace quendel {
namespace {

// One number in the given base at the front of text, which then loses it and the
// following separator (when one is given).
template <class T>
bool takeNumber(std::string_view& text, int base, T* out, char separator) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *out, base);
  if (ec != std::errc() || end == text.data()) return false;
  text.remove_prefix(static_cast<size_t>(end - text.data()));
  if (separator == 0) return true;
  if (text.empty() || text.front() != separator) return false;
  text.remove_prefix(1);
  return true;
}

void skipBlanks(std::string_view& text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
}

std::string_view takeWord(std::string_view& text) {
  size_t n = text.find_first_of(" \t");
  std::string_view word = text.substr(0, n);
  text.remove_prefix(word.size());
  return word;
}

}  // namespace

std::string procFolder(LONG pid) {
  return pid == 0 || pid == ::getpid() ? std::string("/proc/self") : "/proc/" + std::to_string(pid);
}

std::optional<MapsEntry> parseMapsLine(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  MapsEntry e;
  if (!takeNumber(line, 16, &e.low, '-') || !takeNumber(line, 16, &e.high, ' ') || e.high < e.low) return std::nullopt;
  e.perms = std::string(takeWord(line));
  if (e.perms.size() != 4) return std::nullopt;
  skipBlanks(line);
  if (!takeNumber(line, 16, &e.offset, ' ')) return std::nullopt;
  skipBlanks(line);
  if (!takeNumber(line, 16, &e.devMajor, ':') || !takeNumber(line, 16, &e.devMinor, ' ')) return std::nullopt;
  skipBlanks(line);
  if (!takeNumber(line, 10, &e.inode, 0)) return std::nullopt;
  if (!line.empty() && line.front() != ' ' && line.front() != '\t') return std::nullopt;
  skipBlanks(line);
  e.path = std::string(line);
  return e;
}

bool readProcMaps(LONG pid, std::vector<MapsEntry>* out) {
  int fd = ::open((procFolder(pid) + "/maps").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::string text;
  char buffer[16384];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int e = errno;
      ::close(fd);
      errno = e;
      return false;
    }
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  std::vector<MapsEntry> entries;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (auto e = parseMapsLine(std::string_view(text).substr(start, end - start))) entries.push_back(std::move(*e));
    start = end + 1;
  }
  *out = std::move(entries);
  return true;
}

std::vector<MappedFile> mappedFiles(const std::vector<MapsEntry>& maps) {
  std::vector<MappedFile> files;
  std::map<std::tuple<unsigned, unsigned, std::uint64_t, std::string_view>, size_t> index;
  for (const MapsEntry& e : maps) {
    if (!e.isFile()) continue;
    auto [it, added] = index.try_emplace({e.devMajor, e.devMinor, e.inode, e.path}, files.size());
    if (added) files.push_back(MappedFile{e.low, e.high, e.path, e.devMajor, e.devMinor, e.inode, 0, 0});
    MappedFile* f = &files[it->second];
    if (e.low < f->low) f->low = e.low;
    if (e.high > f->high) f->high = e.high;
    if (e.offset == 0 && e.readable() && f->headerSize == 0) {
      f->headerAddress = e.low;
      f->headerSize = e.high - e.low;
    }
  }
  return files;
}

std::optional<MappedFile> mappedFileAt(const std::vector<MapsEntry>& maps, std::uintptr_t address) {
  for (const MapsEntry& e : maps) {
    if (!e.isFile() || address < e.low || address >= e.high) continue;
    // Group only the mappings of this one file.
    std::vector<MapsEntry> same;
    for (const MapsEntry& other : maps)
      if (other.inode == e.inode && other.devMajor == e.devMajor && other.devMinor == e.devMinor &&
          other.path == e.path)
        same.push_back(other);
    return mappedFiles(same).front();
  }
  return std::nullopt;
}

}  // namespace quendel
