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

ListDialogLayout layoutListDialog(double windowHeight, double innerWidth, double innerHeight, double tagHeight) {
  ListDialogLayout l{};
  double frame = std::round(windowHeight - innerHeight);
  double minimum = 2 * tagHeight + frame + 120;
  l.snapped = windowHeight < minimum;
  l.windowHeight = l.snapped ? minimum : windowHeight;
  if (l.snapped) innerHeight = l.windowHeight - frame;
  l.listLeft = 60;
  l.listTop = 60;
  l.listWidth = std::max(0.0, innerWidth - 120);
  l.listHeight = std::max(0.0, innerHeight - tagHeight - 120);
  l.tagLeft = 60;
  l.tagTop = l.listHeight + 60;
  l.tagWidth = std::max(0.0, innerWidth - 120);
  l.tagHeight = tagHeight;
  return l;
}

}  // namespace quendel::toolvane
