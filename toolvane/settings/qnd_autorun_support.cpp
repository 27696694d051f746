#include "toolvane/settings/qnd_autorun_support.h"

#include "support/codepage.h"
#include "support/quendelsupport.h"
#include "toolvane/general/command_line_parser.h"
#include "toolvane/settings/autostart_entry.h"
#include "toolvane/settings/qnd_registry.h"

namespace quendel::toolvane {

namespace {

// Puts an entry back as it was before a change that the registry then refused.
void restoreEntry(autostart::Scope scope, const String& appGuid, const std::optional<std::string>& previous) {
  std::string ignored;
  if (previous)
    (void)autostart::writeEntryText(scope, appGuid, *previous, &ignored);
  else
    (void)autostart::removeEntry(scope, appGuid, &ignored);
}

}  // namespace

bool qndAutorunSupport::ForCurrentUserOnly() const { return root_ == kRootCurrentUser; }

void qndAutorunSupport::setForCurrentUserOnly(bool value) { root_ = value ? kRootCurrentUser : kRootLocalMachine; }

bool qndAutorunSupport::IsInAutorun(const String& AppGUID) {
  if (AppGUID.empty()) return false;
  auto registry = std::make_shared<qndRegistry>();
  return !asTrimEx(registry->GetValue(root_, kRunKey, AppGUID, rtString).toString()).empty();
}

String qndAutorunSupport::GetAutorunString(const String& AppGUID) {
  if (AppGUID.empty()) return {};
  auto registry = std::make_shared<qndRegistry>();
  return registry->GetValue(root_, kRunKey, AppGUID, rtString).toString();
}

bool qndAutorunSupport::AddToAutorun(const String& AppGUID, const String& CommandLine) {
  if (AppGUID.empty()) return false;
  const auto scope = ForCurrentUserOnly() ? autostart::Scope::User : autostart::Scope::Machine;

  std::vector<String> arguments;
  String line = CommandLine;
  if (line.empty()) {
    line = asGetEXEModulePrettyFileName();
    arguments.push_back(line);
  } else if (!asTrimEx(line).empty()) {
    CommandLineParser parser;
    parser.SetNewCommandLine(line, false);
    for (LONG i = -1; i < parser.Count(); ++i) arguments.push_back(parser.Item(i));
  }

  const auto previous = autostart::readEntry(scope, AppGUID);
  std::string error;
  bool entryDone = arguments.empty()
                       ? autostart::removeEntry(scope, AppGUID, &error)
                       : autostart::writeEntryText(scope, AppGUID, autostart::entryText(AppGUID, arguments), &error);
  if (!entryDone) {
    asDebugPrint(u"AddToAutorun() ==> " + String(cp::fromUtf8(error)));
    return false;
  }
  auto registry = std::make_shared<qndRegistry>();
  if (registry->SetValue(root_, kRunKey, AppGUID, rtString, Variant(line))) return true;
  restoreEntry(scope, AppGUID, previous);
  return false;
}

bool qndAutorunSupport::DeleteFromAutorun(const String& AppGUID) {
  if (AppGUID.empty()) return false;
  const auto scope = ForCurrentUserOnly() ? autostart::Scope::User : autostart::Scope::Machine;
  const auto previous = autostart::readEntry(scope, AppGUID);
  std::string error;
  if (!autostart::removeEntry(scope, AppGUID, &error)) {
    asDebugPrint(u"DeleteFromAutorun() ==> " + String(cp::fromUtf8(error)));
    return false;
  }
  auto registry = std::make_shared<qndRegistry>();
  if (registry->DeleteValue(root_, kRunKey, AppGUID)) return true;
  if (previous) restoreEntry(scope, AppGUID, previous);
  return false;
}

}  // namespace quendel::toolvane
