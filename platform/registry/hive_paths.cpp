#include "platform/registry/hive_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace quendel::registry {
namespace {

const char* fileName(HiveId id) {
  switch (id) {
    case HiveId::CurrentUser: return "user.db";
    case HiveId::LocalMachine: return "machine.db";
    case HiveId::Users: return "users.db";
    case HiveId::CurrentConfig: return "config.db";
  }
  return "invalid.db";
}

std::string homeFolder() {
  if (const char* h = std::getenv("HOME"); h && *h) return h;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

}  // namespace

HiveLocation hiveLocation(HiveId id) {
  bool user = id == HiveId::CurrentUser;
  // The user's hive holds private settings (scrambled passwords among them): owner only.
  // Machine hives are readable by every account, as on Windows.
  HiveLocation loc{std::string(), static_cast<mode_t>(user ? 0600 : 0644), static_cast<mode_t>(user ? 0700 : 0755)};
  std::string folder;
  if (const char* d = std::getenv("QUENDEL_REGISTRY_DIR"); d && *d) {
    folder = d;
  } else if (user) {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    std::string base = (xdg && *xdg == '/') ? std::string(xdg) : homeFolder() + "/.config";
    folder = base + "/quendel/registry";
  } else {
    folder = "/var/lib/quendel/registry";
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  loc.file = folder + "/" + fileName(id);
  return loc;
}

}  // namespace quendel::registry
