// The process command line as Windows programs see it: one text.
//
// GetCommandLineW joins /proc/self/cmdline the way a Windows command line is written, so
// that the library's parser splits it back into the same arguments: an argument that is
// empty or holds a blank or tab is put in double quotes. An argument that itself holds a
// double quote is passed as it stands (the parser has no escape character; see
// joinCommandLine). The text is built once per process and stays valid until it ends.
#pragma once

#include <string>
#include <vector>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

// The command line of this process, zero-terminated UTF-16.
const char16_t* GetCommandLineW();

namespace quendel::platform {
// The joining rule of GetCommandLineW, for any list of arguments.
std::u16string joinCommandLine(const std::vector<std::u16string>& args);
// The raw arguments of this process, from /proc/self/cmdline.
std::vector<std::string> processArguments();
}  // namespace quendel::platform

QUENDEL_EXPORT_END
