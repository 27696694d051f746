// The properties of the widget adapters that take more than one call of the toolkit, for
// the member tables (widget_members.cpp). Every function raises 364 when the widget is gone.
//
// - Geometry: twips at the widget's screen's DPI; a window's position and size are its
//   outer frame's. A let that is not finite or beyond 1e9 twips raises 380.
// - Caption: a button's or label's text, a group box's title, a window's title, else a
//   text kept with the widget.
// - Text: a text box's or combo box's text, else the caption. A drop-down list takes only
//   the text of one of its items (383 "'Text' property is read-only" otherwise).
// - Locked: a text box's read-only state; other kinds read False and ignore a let.
// - Font set: the values of any font object, read by name, put on the widget's font.
// - CheckBox Value: 0 unchecked, 1 checked, 2 grayed; another value raises 380.
// - MousePointer: the values of mouse_pointer.h (380 for another); MouseIcon: the
//   adapter's MouseIcon (mouse_icon.h), Nothing to clear it.
#pragma once

#include "support/export.h"
#include "toolvane/qt/widget_adapter.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::qt {

enum class GeometryEdge { Left, Top, Width, Height };

double geometryTwips(WidgetAdapter& a, GeometryEdge e);
void setGeometryTwips(WidgetAdapter& a, GeometryEdge e, double twips);

LONG mousePointerOf(WidgetAdapter& a);
void setMousePointer(WidgetAdapter& a, LONG pointer);
automation::ObjectPtr mouseIconOf(WidgetAdapter& a);
void setMouseIcon(WidgetAdapter& a, const automation::ObjectPtr& picture);

automation::String captionOf(QWidget& w);
void setCaption(QWidget& w, const automation::String& text);
automation::String textOf(QWidget& w);
void setText(QWidget& w, const automation::String& text);
bool readOnlyOf(QWidget& w);
void setReadOnly(QWidget& w, bool locked);

void copyFont(WidgetAdapter& a, automation::Object& from);

std::int16_t checkBoxValue(WidgetAdapter& a);
void setCheckBoxValue(WidgetAdapter& a, LONG value);

}  // namespace quendel::toolvane::qt

QUENDEL_EXPORT_END
