// modAboutBox.ShowSystemInformation.
#include "toolvane/about/system_information.h"

#include "platform/shell/shell_execute.h"
#include "support/codepage.h"
#include "support/quendelsupport.h"
#include "support/quendelsupportfbe.h"
#include "toolvane/errors/qnd_err.h"
#include "toolvane/errors/standard_box.h"
#include "toolvane/frame/system_information_program.h"
#include "toolvane/settings/qnd_registry.h"

namespace quendel::toolvane {
namespace {

constexpr LONG kErrInternal = 51;
constexpr LONG kExclamationOk = 48;  // MB_ICONEXCLAMATION | MB_OK
constexpr char16_t kMsInfoProgram[] = u"MSINFO32.EXE";

// The program's path; raises 51 when none is registered.
String systemInformationPath() {
  qndRegistry reg;
  bool found = false;
  String path = reg.GetValue(kRootLocalMachine, cp::fromUtf8(kMsInfoKey), cp::fromUtf8(kMsInfoValue), rtString, &found)
                    .toString();
  if (!found) {
    path = reg.GetValue(kRootLocalMachine, cp::fromUtf8(kMsInfoLocationKey), cp::fromUtf8(kMsInfoLocationValue),
                        rtString, &found)
               .toString();
    if (!found) throw RuntimeError(kErrInternal);
    // A folder of this system takes "/", one written the Windows way "\".
    char16_t separator = !path.empty() && path.front() == u'/' ? u'/' : u'\\';
    if (path.empty() || (path.back() != u'\\' && path.back() != u'/')) path += separator;
    path += kMsInfoProgram;
    if (!esIsFileExist(path)) throw RuntimeError(kErrInternal);
  }
  if (path.empty()) throw RuntimeError(kErrInternal);
  return path;
}

}  // namespace

void ShowSystemInformation() {
  try {
    String path = systemInformationPath();
    HINSTANCE r = ShellExecuteA(nullptr, "open", cp::unicodeToAnsi(path).c_str(), "", nullptr, SW_SHOWNORMAL);
    if (!shellExecuteSucceeded(r)) throw RuntimeError(kErrInternal);
  } catch (const RuntimeError&) {
    (void)showStandardMessageBox(kSystemInformationMissing, errorBoxCaption(u""), kExclamationOk, u"", 0);
  }
}

}  // namespace quendel::toolvane
