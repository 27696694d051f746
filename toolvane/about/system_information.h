// modAboutBox.ShowSystemInformation: starts the desktop's system-information program,
// the About box's "System Info" button.
//
//   ShowSystemInformation();     // the program, or the warning box
//
// The program's path is HKLM "SOFTWARE\Microsoft\Shared Tools\MSINFO" "PATH" (written by
// registration, system_information_program.h), used as it is; without it, the folder in
// HKLM "SOFTWARE\Microsoft\Shared Tools Location" "MSINFO" + "\MSINFO32.EXE" when that file
// exists. It is started through ShellExecuteA ("open", no parameters, the current
// directory). A missing value, an empty path, a missing file or a failed start shows the
// message box "Информация о системе почему-то не доступна..." with the exclamation icon
// and OK, under the application's title; nothing is raised.
#pragma once

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

void ShowSystemInformation();

inline constexpr char16_t kSystemInformationMissing[] = u"Информация о системе почему-то не доступна...";

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
