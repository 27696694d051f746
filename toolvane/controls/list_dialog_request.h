// What qndSimpleListDialog decides without a window: the item tags, the caption and the
// resize arithmetic of frmList. The request it hands to the window is ListDialogRequest
// of the UI entry table (toolvane/ui_api/ui_api.h).
#pragma once

#include <cstddef>

#include "support/export.h"
#include "toolvane/ui_api/ui_api.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

// The label text for a clicked item: the text after its first tab, or the whole text.
BStr listItemTag(const BStr& item);

// The window caption: Caption, followed by " [count]" when showCount.
BStr listDialogCaption(const BStr& caption, bool showCount, std::size_t count);

// frmList's layout in twips. Given the window's outer height, its inner (scale) width and
// height and the label's height, the layout that the form applies on a resize: the
// window's height (raised to the minimum 2 × label height + frame + 120 when lower), the
// list at 60, 60, inner width − 120, inner height − label height − 120 (never below 0),
// and the label under it at 60, list height + 60, inner width − 120, its height kept.
inline constexpr double kListDialogMargin = 60;      // around the list and the label
inline constexpr double kListDialogTagHeight = 900;  // the label's design height

// The inner height below which the window snaps back: two label heights and a margin
// above and below the list.
double listDialogMinimumInnerHeight(double tagHeight);

struct ListDialogLayout {
  double windowHeight;  // the height to set; equal to the given one when no snap is needed
  bool snapped;
  double listLeft, listTop, listWidth, listHeight;
  double tagLeft, tagTop, tagWidth, tagHeight;
};
ListDialogLayout layoutListDialog(double windowHeight, double innerWidth, double innerHeight, double tagHeight);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
