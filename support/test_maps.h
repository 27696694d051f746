// For the tests of the module lists: where each file is mapped in this process, read from
// /proc/self/maps in the simplest way, independently of the parser under test.
//
//   auto spans = quendel::testing::mapsSpans();
//   EXPECT_EQ(entry.base, spans.at("/usr/lib/x86_64-linux-gnu/libc.so.6").first);
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::testing {

// The lowest and highest address of each file in /proc/self/maps.
inline std::map<std::string, std::pair<std::uint64_t, std::uint64_t>> mapsSpans() {
  std::map<std::string, std::pair<std::uint64_t, std::uint64_t>> spans;
  std::ifstream in("/proc/self/maps");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string range, perms, offset, dev, inode, path;
    fields >> range >> perms >> offset >> dev >> inode;
    std::getline(fields >> std::ws, path);
    if (inode == "0" || path.empty() || path[0] != '/') continue;
    std::uint64_t low = std::stoull(range.substr(0, range.find('-')), nullptr, 16);
    std::uint64_t high = std::stoull(range.substr(range.find('-') + 1), nullptr, 16);
    auto [it, added] = spans.try_emplace(path, low, high);
    if (!added) {
      it->second.first = std::min(it->second.first, low);
      it->second.second = std::max(it->second.second, high);
    }
  }
  return spans;
}

// How often `library` ("libfoo.so") is counted in `seen`, under its own name or under the
// name of its versioned file ("libfoo.so.3.5.301"), which is the one a map shows.
inline int timesListed(const std::map<std::string, int>& seen, const std::string& library) {
  int n = 0;
  for (const auto& [name, count] : seen)
    if (name == library || name.starts_with(library + ".")) n += count;
  return n;
}

}  // namespace quendel::testing

QUENDEL_EXPORT_END
