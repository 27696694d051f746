// ucIconControl: the library's small control that shows an icon at its top left corner,
// with the icon's transparency, over its background colour, and passes its mouse events
// on to its container. Private to the library (not in the type library); its ProgID in
// saved form data is "TvFuncs0305.ucIconControl".
//
//   auto control = std::make_shared<ucIconControl>();   // the UI part's widget attaches
//   control->attach(&surface);                          // itself as the surface
//   control->setPicture(icon);                          // kept, drawn at (0, 0)
//   control->WriteProperties(bag);                      // values that differ from defaults
//
// This is the control's state and its drawing steps, without the toolkit: the surface
// (IconSurface: the UI part's widget, a recorder in tests) holds the pixels, resolves
// colours and shows cursors. Without a surface the values are kept and nothing is drawn.
//   - RedrawIcon: Picture Nothing clears the surface to BackColor; any other picture is
//     drawn over what the surface holds (not cleared first), then the surface refreshes.
//     A picture that holds no icon draws nothing visible.
//   - Picture: kept, "Picture" changed, RedrawIcon. BackColor: 380 for a value that is no
//     OLE colour; erases the surface to it, "BackColor" changed, RedrawIcon. MouseIcon:
//     380 for a picture that holds no icon (the old one kept); cursor set, "MouseIcon"
//     changed, no drawing. MousePointer: 380 outside the standard values; cursor set,
//     "MousePointer" changed, no drawing.
//   - A new control holds an empty picture (Type 0, not Nothing), BackColor 0x8000000F,
//     no MouseIcon, MousePointer 0, and draws nothing.
//   - ReadProperties: Picture (kept without drawing), BackColor (its write draws),
//     MouseIcon, MousePointer, each with its default, errors ignored one by one.
//     WriteProperties writes the same four with their defaults, errors ignored one by one.
//   - Events, raised by the surface: Click, DblClick, MouseDown, MouseMove, MouseUp
//     (Button, Shift As Integer, X, Y As Single in twips, all by reference).
#pragma once

#include <functional>

#include "automation/property_bag.h"
#include "support/export.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

inline constexpr char16_t kIconControlProgId[] = u"TvFuncs0305.ucIconControl";

// What the control draws on and shows its cursor with.
class IconSurface {
 public:
  virtual ~IconSurface() = default;
  // Fills the whole surface with the colour (an OLE colour, isOleColor).
  virtual void eraseTo(LONG oleColor) = 0;
  // Blends the picture's icon at (0, 0) in its natural size; a picture without an icon
  // draws nothing.
  virtual void drawIcon(Object& picture) = 0;
  // Shows what was drawn.
  virtual void refresh() = 0;
  // The cursor of MousePointer Custom from the picture (Nothing: none); raises 380 for a
  // picture that holds no icon, keeping the previous one.
  virtual void setMouseIcon(const ObjectPtr& picture) = 0;
  // Shows the cursor of a standard mouse-pointer value.
  virtual void setMousePointer(LONG pointer) = 0;
};

class ucIconControl : public LibraryObject {
 public:
  ucIconControl();

  void attach(IconSurface* surface) { surface_ = surface; }
  void detach() { surface_ = nullptr; }

  ObjectPtr Picture() const { return picture_; }
  void setPicture(ObjectPtr picture);
  LONG BackColor() const { return backColor_; }
  void setBackColor(LONG color);
  ObjectPtr MouseIcon() const { return mouseIcon_; }
  void setMouseIcon(ObjectPtr picture);
  Integer MousePointer() const { return mousePointer_; }
  void setMousePointer(Integer pointer);
  void RedrawIcon();

  void ReadProperties(const automation::PropertyBag& bag);
  void WriteProperties(automation::PropertyBag& bag) const;

  // The container hears of each changed property (PropertyChanged).
  std::function<void(std::u16string_view)> propertyChanged;

  // The surface's events, raised to the sinks; a sink's run-time error reaches the caller.
  void raiseClick();
  void raiseDblClick();
  // MouseDown, MouseMove or MouseUp.
  void raiseMouse(std::u16string_view event, Integer button, Integer shift, float x, float y);

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

 private:
  void changed(std::u16string_view name) const;

  IconSurface* surface_ = nullptr;
  ObjectPtr picture_;
  LONG backColor_;
  ObjectPtr mouseIcon_;
  Integer mousePointer_{0};
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
