#include "toolvane/ui/ole_colors.h"

#include <array>

#include "toolvane/controls/ole_color.h"

namespace quendel::toolvane::ui {

namespace {

struct PaletteColor {
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};

constexpr QPalette::ColorGroup kActive = QPalette::Active;
constexpr QPalette::ColorGroup kDisabled = QPalette::Disabled;

// The palette colour of each system colour index, COLOR_SCROLLBAR (0) to COLOR_MENUBAR (30).
constexpr std::array<PaletteColor, kLastSystemColor + 1> kSystemColors{{
    {kActive, QPalette::Button},           // SCROLLBAR
    {kActive, QPalette::Dark},             // BACKGROUND (desktop)
    {kActive, QPalette::Highlight},        // ACTIVECAPTION
    {kActive, QPalette::Mid},              // INACTIVECAPTION
    {kActive, QPalette::Button},           // MENU
    {kActive, QPalette::Base},             // WINDOW
    {kActive, QPalette::Shadow},           // WINDOWFRAME
    {kActive, QPalette::ButtonText},       // MENUTEXT
    {kActive, QPalette::Text},             // WINDOWTEXT
    {kActive, QPalette::HighlightedText},  // CAPTIONTEXT
    {kActive, QPalette::Button},           // ACTIVEBORDER
    {kActive, QPalette::Button},           // INACTIVEBORDER
    {kActive, QPalette::Dark},             // APPWORKSPACE
    {kActive, QPalette::Highlight},        // HIGHLIGHT
    {kActive, QPalette::HighlightedText},  // HIGHLIGHTTEXT
    {kActive, QPalette::Button},           // BTNFACE
    {kActive, QPalette::Dark},             // BTNSHADOW
    {kDisabled, QPalette::Text},           // GRAYTEXT
    {kActive, QPalette::ButtonText},       // BTNTEXT
    {kDisabled, QPalette::Text},           // INACTIVECAPTIONTEXT
    {kActive, QPalette::Light},            // BTNHIGHLIGHT
    {kActive, QPalette::Shadow},           // 3DDKSHADOW
    {kActive, QPalette::Midlight},         // 3DLIGHT
    {kActive, QPalette::ToolTipText},      // INFOTEXT
    {kActive, QPalette::ToolTipBase},      // INFOBK
    {kActive, QPalette::Button},           // (25, unused)
    {kActive, QPalette::Link},             // HOTLIGHT
    {kActive, QPalette::Highlight},        // GRADIENTACTIVECAPTION
    {kActive, QPalette::Mid},              // GRADIENTINACTIVECAPTION
    {kActive, QPalette::Highlight},        // MENUHILIGHT
    {kActive, QPalette::Button},           // MENUBAR
}};

constexpr unsigned kGreenShift = 8, kBlueShift = 16;

}  // namespace

QColor colorFromOle(LONG oleColor, const QPalette& palette) {
  if (!isOleColor(oleColor)) return QColor(Qt::black);
  const auto v = static_cast<DWORD>(oleColor);
  if (isSystemColor(oleColor)) {
    const PaletteColor& c = kSystemColors[v & kSystemColorIndexMask];
    return palette.color(c.group, c.role);
  }
  return QColor(static_cast<int>(v & 0xFFu), static_cast<int>((v >> kGreenShift) & 0xFFu),
                static_cast<int>((v >> kBlueShift) & 0xFFu));
}

}  // namespace quendel::toolvane::ui
