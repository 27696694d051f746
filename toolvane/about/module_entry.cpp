#include "toolvane/about/module_entry.h"

#include "support/quendelsupport.h"
#include "support/quendelsupportfbe.h"

namespace quendel::toolvane {
namespace {

constexpr String::size_type kGap = 2;         // blanks between the columns
constexpr String::size_type kSizeWidth = 13;  // the "!@@@@@@@@@@@@@" mask: 13 places, left-aligned

String padded(String text, String::size_type width) {
  if (text.size() < width) text.append(width - text.size(), u' ');
  return text;
}

}  // namespace

String CModuleEntry::toString(LONG NameSize) const {
  const String gap(kGap, u' ');
  String line = padded(d_.Name, NameSize > 0 ? static_cast<String::size_type>(NameSize) : 0);
  line += gap;
  line += esHexEx8(d_.BaseAddress);
  line += gap;
  if (d_.BaseAddress == d_.PrefferedAddress) {
    // As wide as the parenthesised address of a relocated module.
    line += String(1 + esHexEx8(0).size() + 1 + kGap, u' ');
  } else {
    line += u"(" + esHexEx8(d_.PrefferedAddress) + u")" + gap;
  }
  line += padded(asFormatInt64(static_cast<double>(d_.BaseSize)), kSizeWidth);
  line += gap;
  line += d_.FileName;
  return line;
}

}  // namespace quendel::toolvane
