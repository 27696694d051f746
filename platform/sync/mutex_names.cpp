#include "platform/sync/mutex_names.h"

#include <sys/stat.h>

#include <cstdlib>

#include "platform/sync/sha256.h"

namespace quendel::platform {

namespace {

constexpr std::size_t kMaxPlain = 200;
constexpr std::size_t kLongPrefix = 100;

bool keptAsIs(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '{' || c == '}';
}

}  // namespace

std::string mutexFileName(std::string_view name) {
  static const char* hex = "0123456789ABCDEF";
  std::string escaped;
  std::string cut;  // the escaped form up to the last whole escape within kLongPrefix
  for (unsigned char c : name) {
    if (keptAsIs(c)) {
      escaped.push_back(static_cast<char>(c));
    } else {
      escaped.push_back('%');
      escaped.push_back(hex[c >> 4]);
      escaped.push_back(hex[c & 0xF]);
    }
    if (escaped.size() <= kLongPrefix) cut = escaped;
  }
  if (escaped.size() <= kMaxPlain) return "n_" + escaped;
  return "h_" + cut + "~" + sha256Hex(name);
}

std::string mutexDirectory() {
  const char* dir = std::getenv("QUENDEL_MUTEX_DIR");
  if (dir && *dir) return dir;
  struct stat st {};
  if (::stat("/run/lock", &st) == 0 && S_ISDIR(st.st_mode)) return "/run/lock/quendel-mutexes";
  return "/tmp/.quendel-mutexes";
}

}  // namespace quendel::platform
