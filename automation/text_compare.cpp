#include "automation/text_compare.h"

#include "support/case_fold.h"

namespace quendel::automation {

int compareText(std::u16string_view a, std::u16string_view b) { return text::compareFolded(a, b); }

bool equalsText(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && text::compareFolded(a, b) == 0;
}

quendel::BStr upperCase(std::u16string_view s) { return text::foldCase(s); }

quendel::BStr lowerCase(std::u16string_view s) { return text::lowerCase(s); }

}  // namespace quendel::automation
