// qndQuendelSettings: the column widths of a list view, in twips, one value a column.
#include <cmath>
#include <string>

#include "automation/std_picture.h"
#include "platform/window/window.h"
#include "platform/window/window_messages.h"
#include "support/quendelsupportfbe.h"
#include "toolvane/frame/client_objects.h"
#include "toolvane/settings/qnd_quendel_settings.h"

namespace quendel::toolvane {

namespace {

constexpr UINT LVM_GETCOLUMNWIDTH = 0x101D;
constexpr UINT LVM_SETCOLUMNWIDTH = 0x101E;

String valueNameOf(LONG column) {
  std::string digits = std::to_string(column);
  return u"Column " + String(digits.begin(), digits.end()) + u" Width";
}

LONG columnCount(const ObjectPtr& listView) {
  return listView->get(u"ColumnHeaders").toObject()->get(u"Count").toLong();
}

// The view's window; a window that does not answer list-view messages fails the step
// (SendMessageA would answer 0, which reads as a real width).
HWND answeringWindow(const ObjectPtr& listView) {
  auto hwnd = reinterpret_cast<HWND>(automation::handleFromVariant(listView->get(u"hWnd")));
  if (!platform::windowHasMessageHandler(hwnd)) throw RuntimeError(5);
  return hwnd;
}

}  // namespace

bool qndQuendelSettings::SaveListViewColumns2(const ObjectPtr& ListViewObject, const String& SubKey,
                                              const ObjectPtr& AppObject, bool UserSetting) {
  if (!ListViewObject || !AppObject) throw RuntimeError(91);
  LONG count = 0;
  if (!ignoringErrors([&] { count = columnCount(ListViewObject); })) return true;
  for (LONG n = 1; n <= count; ++n) {
    LONG twips = 0;
    bool read = ignoringErrors([&] {
      LRESULT pixels = SendMessageA(answeringWindow(ListViewObject), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(n - 1), 0);
      twips = Variant(static_cast<double>(pixels) * esScreenTwipsPerPixelX()).toLong();
    });
    if (read) SaveSetting2(SubKey, valueNameOf(n), rtLong, Variant(twips), AppObject, UserSetting);
  }
  return true;
}

bool qndQuendelSettings::LoadListViewColumns2(const ObjectPtr& ListViewObject, const String& SubKey,
                                              const ObjectPtr& AppObject, bool UserSetting) {
  if (!ListViewObject || !AppObject) throw RuntimeError(91);
  const LONG count = columnCount(ListViewObject);
  for (LONG n = 1; n <= count; ++n) {
    const LONG twips = LoadSetting2(SubKey, valueNameOf(n), rtLong, AppObject, Variant(LONG{-1}), UserSetting).toLong();
    if (twips < 0) continue;  // never saved: the column keeps its width
    ignoringErrors([&] {
      LONG perPixel = Variant(esScreenTwipsPerPixelX()).toLong();
      if (perPixel < 1) perPixel = 1;  // see LoadFormPlacement: never a division by zero
      SendMessageA(answeringWindow(ListViewObject), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(n - 1),
                   static_cast<LPARAM>(twips / perPixel));
    });
  }
  return true;
}

}  // namespace quendel::toolvane
