// Where the About box finds the desktop's system-information program, and the
// registration step that records it.
//
//   std::string p = findSystemInformationProgram(getenv("PATH"));   // "" when none
//   HRESULT hr = registerSystemInformationProgram();                  // at DllRegisterServer
//
// The programs looked for, in this order, on PATH: gnome-system-monitor,
// plasma-systemmonitor, ksysguard, mate-system-monitor, xfce4-taskmanager, lxtask,
// hardinfo2, hardinfo. The first executable file found is written as HKLM
// "SOFTWARE\Microsoft\Shared Tools\MSINFO" "PATH" (REG_SZ, the full path); with none,
// nothing is written and an earlier value stays. Registration returns S_OK also when the
// machine hive cannot be written (a user's own installation): the About box then shows
// its warning; any other registry failure is returned as HRESULT_FROM_WIN32 of its code.
#pragma once

#include <string>
#include <string_view>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

inline constexpr char kMsInfoKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr char kMsInfoValue[] = "PATH";
inline constexpr char kMsInfoLocationKey[] = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr char kMsInfoLocationValue[] = "MSINFO";

// The first system-information program found in the folders of a PATH-style list.
std::string findSystemInformationProgram(std::string_view pathList);

[[nodiscard]] HRESULT registerSystemInformationProgram();

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
