#include "toolvane/qt/controls_collection.h"

#include "automation/safe_array.h"
#include "toolvane/qt/widget_adapter.h"

namespace quendel::toolvane::qt {

using namespace automation;

namespace {

void collectControls(QWidget* parent, std::vector<Variant>& out) {
  for (QObject* child : parent->children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (!w || w->isWindow()) continue;
    WidgetKind kind = kindOf(w);
    out.emplace_back(ObjectPtr(adapt(w)));
    if (kind == WidgetKind::Frame) collectControls(w, out);
  }
}

}  // namespace

std::shared_ptr<ControlsCollection> ControlsCollection::of(QWidget& form) {
  std::vector<Variant> items;
  collectControls(&form, items);
  return std::make_shared<ControlsCollection>(std::move(items));
}

const ClassDesc* ControlsCollection::classDesc() const {
  using C = ControlsCollection;
  static const ClassDesc d =
      ClassBuilder<C>(u"Object")
          .get(u"Item", vbObject, [](C& c, CallArgs& a) { return c.item(a[0]); }, {param(u"Index", vbVariant)})
          .defaultMember()
          .get(u"Count", vbLong, [](C& c, CallArgs&) { return Variant(static_cast<LONG>(c.items_.size())); })
          .function(u"_NewEnum", VarType(vbArray | vbVariant), {},
                    [](C& c, CallArgs&) { return Variant(SafeArray::fromVariants(vbVariant, c.items_, 0)); })
          .hidden()
          .build();
  return &d;
}

Variant ControlsCollection::item(const Variant& index) const {
  if (index.isString()) {
    for (const Variant& v : items_)
      if (equalsText(v.toObject()->get(u"Name").toString(), *index.asString())) return v;
    throw RuntimeError(730, u"Control '" + *index.asString() + u"' not found");
  }
  LONG i = index.toLong();
  if (i < 0 || i >= static_cast<LONG>(items_.size())) throw RuntimeError(9);
  return items_[static_cast<std::size_t>(i)];
}

}  // namespace quendel::toolvane::qt
