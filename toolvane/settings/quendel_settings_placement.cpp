// qndQuendelSettings: the placement of a form, saved and restored as the platform's
// WINDOWPLACEMENT.
#include <cstring>

#include "automation/safe_array.h"
#include "automation/std_picture.h"
#include "platform/window/window.h"
#include "platform/window/window_placement.h"
#include "support/quendelsupportfbe.h"
#include "toolvane/settings/app_identity.h"
#include "toolvane/settings/qnd_quendel_settings.h"

namespace quendel::toolvane {

namespace {

constexpr std::size_t kPlacementBytes = sizeof(WINDOWPLACEMENT);

HWND windowOf(const ObjectPtr& form) {
  return reinterpret_cast<HWND>(automation::handleFromVariant(form->get(u"hWnd")));
}

// The form's Name stands in for an empty SubKey.
String keyFor(const ObjectPtr& form, const String& subKey) {
  return subKey.empty() ? form->get(u"Name").toString() : subKey;
}

// CLng(twips) \ CLng(twips per pixel); a screen finer than two pixels per twip (whose
// twips per pixel round to 0) counts one twip per pixel instead of dividing by zero.
LONG pixelsOf(float twips, float twipsPerPixel) {
  LONG perPixel = Variant(twipsPerPixel).toLong();
  if (perPixel < 1) perPixel = 1;
  return Variant(twips).toLong() / perPixel;
}

}  // namespace

bool qndQuendelSettings::SaveFormPlacement(const ObjectPtr& FormObject, const String& SubKey, const String& ValueName,
                                           const String& AppTitle, LONG VerMajor, LONG VerMinor, bool UserSetting) {
  if (!FormObject) throw RuntimeError(91);
  WINDOWPLACEMENT wp{};
  wp.length = kPlacementBytes;
  if (!GetWindowPlacement(windowOf(FormObject), &wp)) return false;
  std::vector<BYTE> bytes(kPlacementBytes);
  std::memcpy(bytes.data(), &wp, kPlacementBytes);
  Variant value(automation::SafeArray::fromBytes(std::move(bytes), 0));
  return SaveSetting(keyFor(FormObject, SubKey), ValueName, rtBinary, value, AppTitle, VerMajor, VerMinor, UserSetting);
}

bool qndQuendelSettings::SaveFormPlacement2(const ObjectPtr& FormObject, const String& SubKey, const String& ValueName,
                                            const ObjectPtr& AppObject, bool UserSetting) {
  AppIdentity app = readAppIdentity(AppObject);
  return SaveFormPlacement(FormObject, SubKey, ValueName, app.title, app.major, app.minor, UserSetting);
}

bool qndQuendelSettings::LoadFormPlacementPx(const ObjectPtr& FormObject, const String& SubKey, const String& ValueName,
                                             const String& AppTitle, LONG VerMajor, LONG VerMinor, bool SetMinimized,
                                             LONG FixedWidth, LONG FixedHeight, bool UserSetting) {
  if (!FormObject) throw RuntimeError(91);
  const String key = keyFor(FormObject, SubKey);
  bool found = false;
  Variant stored =
      LoadSetting(key, ValueName, rtBinary, AppTitle, VerMajor, VerMinor, Variant::missing(), UserSetting, &found);
  if (!found) return false;
  auto array = stored.array();
  if (!array) return false;
  std::vector<BYTE> bytes = array->bytes();
  if (bytes.size() != kPlacementBytes) return false;
  WINDOWPLACEMENT wp{};
  std::memcpy(&wp, bytes.data(), kPlacementBytes);
  if (wp.length != kPlacementBytes) return false;

  esNormalizeRect(wp.rcNormalPosition);
  if (SetMinimized) wp.showCmd = SW_MINIMIZE;
  if (FixedWidth > 0) wp.rcNormalPosition.right = wp.rcNormalPosition.left + FixedWidth;
  if (FixedHeight > 0) wp.rcNormalPosition.bottom = wp.rcNormalPosition.top + FixedHeight;
  return SetWindowPlacement(windowOf(FormObject), &wp) != FALSE;
}

bool qndQuendelSettings::LoadFormPlacementPx2(const ObjectPtr& FormObject, const String& SubKey,
                                              const String& ValueName, const ObjectPtr& AppObject, bool SetMinimized,
                                              LONG FixedWidth, LONG FixedHeight, bool UserSetting) {
  AppIdentity app = readAppIdentity(AppObject);
  return LoadFormPlacementPx(FormObject, SubKey, ValueName, app.title, app.major, app.minor, SetMinimized, FixedWidth,
                             FixedHeight, UserSetting);
}

bool qndQuendelSettings::LoadFormPlacement(const ObjectPtr& FormObject, const String& SubKey, const String& ValueName,
                                           const String& AppTitle, LONG VerMajor, LONG VerMinor, bool SetMinimized,
                                           float FixedWidth, float FixedHeight, bool UserSetting) {
  LONG width = pixelsOf(FixedWidth, esScreenTwipsPerPixelX());
  LONG height = pixelsOf(FixedHeight, esScreenTwipsPerPixelY());
  return LoadFormPlacementPx(FormObject, SubKey, ValueName, AppTitle, VerMajor, VerMinor, SetMinimized, width, height,
                             UserSetting);
}

bool qndQuendelSettings::LoadFormPlacement2(const ObjectPtr& FormObject, const String& SubKey, const String& ValueName,
                                            const ObjectPtr& AppObject, bool SetMinimized, float FixedWidth,
                                            float FixedHeight, bool UserSetting) {
  AppIdentity app = readAppIdentity(AppObject);
  return LoadFormPlacement(FormObject, SubKey, ValueName, app.title, app.major, app.minor, SetMinimized, FixedWidth,
                           FixedHeight, UserSetting);
}

}  // namespace quendel::toolvane
