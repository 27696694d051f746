#include "toolvane/about/about_pages.h"

#include <algorithm>

#include "support/quendelsupport.h"
#include "support/quendelsupportfbe.h"
#include "toolvane/about/psapi_info.h"
#include "toolvane/about/tool_help_info.h"

namespace quendel::toolvane {

namespace {

constexpr int kKeyEscape = 27, kKeyPageUp = 33, kKeyPageDown = 34;
constexpr int kShiftMask = 1 | 2 | 4;
constexpr LONG kWholePercent = 100;

String percentText(LONG value) {
  std::string digits = std::to_string(value);
  return String(digits.begin(), digits.end());
}

}  // namespace

ModulesListing modulesListingOf(const std::shared_ptr<ModuleList>& modules) {
  ModulesListing listing;
  if (!modules) return listing;
  LONG count = modules->ModulesCount();
  std::size_t nameSize = 0;
  for (LONG i = 0; i < count; ++i) nameSize = std::max(nameSize, modules->ModuleItem(i)->Name().size());
  for (LONG i = 0; i < count; ++i) {
    listing.lines.push_back(modules->ModuleItem(i)->toString(static_cast<LONG>(nameSize)));
    listing.widest = std::max(listing.widest, listing.lines.back().size());
  }
  if (!listing.lines.empty()) listing.modules = modules;
  return listing;
}

ModulesListing FillModulesList() {
  if (!esIsHostWin9x()) {
    std::shared_ptr<ModuleList> psapi;
    try {
      psapi = std::make_shared<CPSAPIInfo>();
    } catch (const RuntimeError&) {
      psapi = nullptr;  // too many modules for its room: the other back-end lists them
    }
    ModulesListing listing = modulesListingOf(psapi);
    if (listing.modules) return listing;
  }
  return modulesListingOf(std::make_shared<CToolHelpInfo>());
}

SystemInfoTexts FillSystemInfo() {
  SystemInfoTexts t;
  t.osName = asGetHostOSFullName(true, true);
  QuendelMemoryStatus m = asGlobalMemoryStatus();
  t.freePhysical = asFormatByteSizeEx(m.availPhys) + u" (" + percentText(kWholePercent - m.memoryLoad) + u"%)";
  t.pageFileUsage = asFormatByteSizeEx(m.totalPageFile - m.availPageFile);
  t.reservedVirtual = asFormatByteSizeEx(m.totalVirtual - m.availVirtual);
  return t;
}

std::vector<int> keptAboutPages(const AboutPageMarkers& markers) {
  std::vector<int> kept;
  for (int page = kMainPage; page < kAboutPageCount; ++page) {
    bool keep = true;
    if (page == kDescriptionPage) keep = markers.description;
    if (page == kModulesPage) keep = markers.modules;
    if (page == kProcessTimesPage) keep = markers.processTimes;
    if (page == kUpdatePage) keep = markers.updateCheck;
    if (keep) kept.push_back(page);
  }
  return kept;
}

AboutKey aboutKeyAction(int keyCode, int shift) {
  if ((shift & kShiftMask) != 0) return AboutKey::None;
  switch (keyCode) {
    case kKeyPageUp: return AboutKey::PrevPage;
    case kKeyPageDown: return AboutKey::NextPage;
    case kKeyEscape: return AboutKey::Close;
    default: return AboutKey::None;
  }
}

String aboutReportText(const AboutReport& r) {
  String out = r.title + u"\n" + r.version + u"\n\n";
  // The name comes on two lines (system, then its release): one line of the report.
  String os = r.system.osName;
  std::replace(os.begin(), os.end(), u'\r', u' ');
  os.erase(std::remove(os.begin(), os.end(), u'\n'), os.end());
  out += u"System: " + os + u"\n";
  out += u"Free physical memory: " + r.system.freePhysical + u"\n";
  out += u"Page file usage: " + r.system.pageFileUsage + u"\n";
  out += u"Reserved virtual memory: " + r.system.reservedVirtual + u"\n";
  if (!r.processTimes.empty()) {
    out += u"\n";
    for (const auto& [label, value] : r.processTimes) out += label + u" " + value + u"\n";
  }
  if (!r.modules.empty()) {
    out += u"\nModules:\n";
    for (const String& line : r.modules) out += line + u"\n";
  }
  return out;
}

}  // namespace quendel::toolvane
