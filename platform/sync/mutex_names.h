// Where a named mutex lives on disk: the shared folder and the file name of a name.
//
//   mutexFileName("App_Desktop_:0")   // "n_App_Desktop_%3A0"
//   mutexFileName(<300 bytes>)        // "h_<first 100 escaped bytes>~<sha256 of the name>"
//
// Names are byte strings (ANSI text) of any length and any bytes. Letters, digits and
// "-._{}" stand for themselves, every other byte becomes %XX (upper-case hex), so the
// escaped form is one-to-one and never contains "/", NUL, "~" or a leading dot. An
// escaped form of up to 200 bytes is the file name behind "n_"; a longer one is cut to
// its first 100 bytes (never inside an escape) and followed by "~" and the SHA-256 of
// the whole name, behind "h_". The two prefixes keep the two forms apart, so different
// names never share a file (barring a SHA-256 collision between two long names).
//
// mutexDirectory(): the machine-wide folder of the default namespace.
// $QUENDEL_MUTEX_DIR when set and not empty (tests use it), else /run/lock/quendel-mutexes
// when /run/lock exists, else /tmp/.quendel-mutexes.
#pragma once

#include <string>
#include <string_view>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::platform {

std::string mutexFileName(std::string_view name);
std::string mutexDirectory();

}  // namespace quendel::platform

QUENDEL_EXPORT_END
