#include "toolvane/qt/control_array.h"

#include <string>

#include "automation/safe_array.h"
#include "toolvane/qt/widget_adapter.h"

namespace quendel::toolvane::qt {

using namespace automation;

std::shared_ptr<ControlArray> ControlArray::create(const std::map<LONG, QWidget*>& elements) {
  auto a = std::make_shared<ControlArray>();
  for (auto [index, widget] : elements)
    if (widget) a->elements_[index] = widget;
  return a;
}

LONG ControlArray::LBound() const { return elements_.empty() ? 0 : elements_.begin()->first; }
LONG ControlArray::UBound() const { return elements_.empty() ? -1 : elements_.rbegin()->first; }
LONG ControlArray::Count() const { return static_cast<LONG>(elements_.size()); }

ObjectPtr ControlArray::Item(LONG index) const {
  auto it = elements_.find(index);
  if (it == elements_.end() || it->second.isNull()) {
    std::string n = std::to_string(index);
    throw RuntimeError(340, u"Control array element '" + String(n.begin(), n.end()) + u"' doesn't exist");
  }
  return adapt(it->second.data());
}

const ClassDesc* ControlArray::classDesc() const {
  using C = ControlArray;
  static const ClassDesc d = ClassBuilder<C>(u"Object")
                                 .get(u"Item", vbObject, [](C& a, CallArgs& c) { return Variant(a.Item(c.lng(0))); },
                                      {param(u"Index", vbLong)})
                                 .defaultMember()
                                 .get(u"LBound", vbLong, [](C& a, CallArgs&) { return Variant(a.LBound()); })
                                 .get(u"UBound", vbLong, [](C& a, CallArgs&) { return Variant(a.UBound()); })
                                 .get(u"Count", vbLong, [](C& a, CallArgs&) { return Variant(a.Count()); })
                                 .function(u"_NewEnum", VarType(vbArray | vbVariant), {},
                                           [](C& a, CallArgs&) {
                                             std::vector<Variant> items;
                                             for (auto& [index, widget] : a.elements_)
                                               if (widget) items.emplace_back(ObjectPtr(adapt(widget.data())));
                                             return Variant(SafeArray::fromVariants(vbVariant, items, 0));
                                           })
                                 .hidden()
                                 .build();
  return &d;
}

}  // namespace quendel::toolvane::qt
