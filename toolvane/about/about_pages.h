// What frmAbout shows besides its main page, decided without the toolkit: the module
// list, the system information, which pages stay, what the keys do, and the plain-text
// report that Ctrl+C copies.
//
//   ModulesListing m = FillModulesList();               // lines for lstModules
//   SystemInfoTexts s = FillSystemInfo();               // raises the support calls' errors
//   std::vector<int> pages = keptAboutPages({.description = true});   // 0, 1, 3?, 4 ...
//   if (aboutKeyAction(vbKeyPageDown, 0) == AboutKey::NextPage) ...
//
// - FillModulesList takes CPSAPIInfo (the host is never of the 9x family here); when it
//   cannot be made or lists nothing, CToolHelpInfo. Lines are the entries' toString of
//   the widest Name, in list order; line i belongs to item i of `modules`. widest is the
//   length of the longest line (0 for none).
// - FillSystemInfo: the system's full name on two lines; free physical memory with the
//   free share in percent ("1.30 GB (42%)"); the used page file; the used virtual memory.
// - keptAboutPages: the indices 0 to 5 of the pages that stay, in order: 0 and 4 always;
//   1 with a description, 2 with module lines, 3 when the process times were filled, 5
//   when the host has an internal name.
// - aboutKeyAction: Page Up, Page Down and Escape act only without Shift, Ctrl and Alt.
#pragma once

#include <memory>
#include <vector>

#include "support/export.h"
#include "toolvane/about/module_list.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

// The pages of frmAbout, by the index of their frame fraTab(n).
enum AboutPage : int {
  kMainPage = 0,
  kDescriptionPage = 1,
  kModulesPage = 2,
  kProcessTimesPage = 3,
  kSystemInfoPage = 4,
  kUpdatePage = 5,
  kAboutPageCount = 6,
};

struct ModulesListing {
  std::shared_ptr<ModuleList> modules;  // null when neither back-end listed anything
  std::vector<String> lines;
  std::size_t widest = 0;
};

ModulesListing FillModulesList();
// One back-end's lines (FillModulesFrom): nothing when it lists no module.
ModulesListing modulesListingOf(const std::shared_ptr<ModuleList>& modules);

struct SystemInfoTexts {
  String osName;           // lblSystemInfo(0)
  String freePhysical;     // lblSystemInfo(4)
  String pageFileUsage;    // lblSystemInfo(5)
  String reservedVirtual;  // lblSystemInfo(6)
};

SystemInfoTexts FillSystemInfo();

struct AboutPageMarkers {
  bool description = false;   // txtDescription holds text
  bool modules = false;       // lstModules has lines
  bool processTimes = false;  // lblProcessTimesInfo's tag is set
  bool updateCheck = false;   // the host's internal name is not empty
};

std::vector<int> keptAboutPages(const AboutPageMarkers& markers);

enum class AboutKey { None, PrevPage, NextPage, Close };

// The key codes of the runtime (vbKeyEscape 27, vbKeyPageUp 33, vbKeyPageDown 34) and
// its Shift mask (Shift 1, Ctrl 2, Alt 4).
AboutKey aboutKeyAction(int keyCode, int shift);

// The report that Ctrl+C copies, in plain text with LF line ends.
struct AboutReport {
  String title;
  String version;  // the version text as shown
  SystemInfoTexts system;
  std::vector<std::pair<String, String>> processTimes;  // label, value; empty when dropped
  std::vector<String> modules;
};

String aboutReportText(const AboutReport& report);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
