#include "toolvane/controls/list_dialog_request.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace quendel::toolvane {

BStr listItemTag(const BStr& item) {
  std::size_t tab = item.find(u'\t');
  return tab == BStr::npos ? item : item.substr(tab + 1);
}

BStr listDialogCaption(const BStr& caption, bool showCount, std::size_t count) {
  if (!showCount) return caption;
  std::string digits = std::to_string(count);
  return caption + u" [" + BStr(digits.begin(), digits.end()) + u"]";
}

double listDialogMinimumInnerHeight(double tagHeight) { return 2 * tagHeight + 2 * kListDialogMargin; }

ListDialogLayout layoutListDialog(double windowHeight, double innerWidth, double innerHeight, double tagHeight) {
  ListDialogLayout l{};
  double frame = std::round(windowHeight - innerHeight);
  double minimum = listDialogMinimumInnerHeight(tagHeight) + frame;
  l.snapped = windowHeight < minimum;
  l.windowHeight = l.snapped ? minimum : windowHeight;
  if (l.snapped) innerHeight = l.windowHeight - frame;
  constexpr double kMargin = kListDialogMargin;
  l.listLeft = kMargin;
  l.listTop = kMargin;
  l.listWidth = std::max(0.0, innerWidth - 2 * kMargin);
  l.listHeight = std::max(0.0, innerHeight - tagHeight - 2 * kMargin);
  l.tagLeft = kMargin;
  l.tagTop = l.listHeight + kMargin;
  l.tagWidth = std::max(0.0, innerWidth - 2 * kMargin);
  l.tagHeight = tagHeight;
  return l;
}

}  // namespace quendel::toolvane
