// Where the registry hives of the port live on disk.
//
// One SQLite file per hive. HKEY_CURRENT_USER: $XDG_CONFIG_HOME/quendel/registry/user.db
// (XDG_CONFIG_HOME defaults to ~/.config). HKEY_LOCAL_MACHINE, HKEY_USERS and
// HKEY_CURRENT_CONFIG: /var/lib/quendel/registry/{machine,users,config}.db.
// QUENDEL_REGISTRY_DIR, when set and not empty, moves every hive into that folder under
// the same file names. The environment is read on every call, so a change takes effect
// for keys opened afterwards.
#pragma once

#include <sys/types.h>
#include <string>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::registry {

enum class HiveId { CurrentUser, LocalMachine, Users, CurrentConfig };

struct HiveLocation {
  std::string file;   // full path of the database file
  mode_t fileMode;    // mode a new file is created with (before the umask)
  mode_t folderMode;  // mode for folders created on the way
};

HiveLocation hiveLocation(HiveId id);

}  // namespace quendel::registry

QUENDEL_EXPORT_END
