#include "toolvane/general/command_line_parser.h"

#include "platform/system/command_line.h"
#include "support/quendelsupport.h"

namespace quendel::toolvane {

namespace {

// asTrimEx on a slice, without copying: the parser trims what is left after every
// argument, and a long command line must not cost time in proportion to its square.
std::u16string_view trimmed(std::u16string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && isTrimWhiteSpace(s[b])) ++b;
  while (e > b && isTrimWhiteSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

}  // namespace

CommandLineParser::CommandLineParser() { SetNewCommandLine(asGetStringFromPointerW(GetCommandLineW()), false); }

void CommandLineParser::SetNewCommandLine(const String& NewCommandLine, bool AddDummyEXEModuleName) {
  std::vector<String> list;
  if (AddDummyEXEModuleName) list.push_back(asGetEXEModulePrettyFileName());
  String whole = asTrimEx(NewCommandLine);
  std::u16string_view s = whole;
  bool quoted = !s.empty() && s.front() == u'"';
  while (!s.empty()) {
    std::u16string_view rest;
    if (quoted) {
      quoted = false;
      s.remove_prefix(1);
      size_t close = s.find(u'"');
      if (close == std::u16string_view::npos) {
        list.emplace_back(s);
        break;
      }
      list.emplace_back(s.substr(0, close));
      rest = s.substr(close + 1);
    } else {
      size_t blank = s.find(u' ');
      if (blank == std::u16string_view::npos) {
        list.emplace_back(s);
        break;
      }
      list.emplace_back(s.substr(0, blank));
      rest = s.substr(blank);
    }
    s = trimmed(rest);
    if (!s.empty() && s.front() == u'"') quoted = true;
  }
  list_ = std::move(list);
}

LONG CommandLineParser::Count() const { return list_.empty() ? 0 : static_cast<LONG>(list_.size()) - 1; }

String CommandLineParser::Item(LONG Index) const {
  if (Index < -1) throw RuntimeError(9);
  if (list_.empty() && Index == -1) return asGetEXEModulePrettyFileName();
  long long at = static_cast<long long>(Index) + 1;
  if (at >= static_cast<long long>(list_.size())) throw RuntimeError(9);
  return list_[static_cast<size_t>(at)];
}

}  // namespace quendel::toolvane
