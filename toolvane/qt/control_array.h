// ControlArray: several widgets of one kind seen as the library sees a control array:
// LBound, UBound, Count, the element by index (the default member, also Item) and
// enumeration. Indexes may have gaps; an index without an element raises 340, as a
// control array does. The elements are the widgets' adapters (widget_adapter.h).
//
//   auto options = qt::ControlArray::create({{0, ui->optSmall}, {1, ui->optLarge}});
//   LONG i = main->call(u"GetSelectedOptionButtonIndex", {Variant(options)}).toLong();
#pragma once

#include <QPointer>
#include <QWidget>
#include <map>

#include "automation/dispatch.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::qt {

class ControlArray : public automation::Object {
 public:
  static std::shared_ptr<ControlArray> create(const std::map<LONG, QWidget*>& elements);

  LONG LBound() const;
  LONG UBound() const;
  LONG Count() const;
  automation::ObjectPtr Item(LONG index) const;  // raises 340 for a gap or a destroyed widget

  automation::String className() const override { return u"Object"; }
  const automation::ClassDesc* classDesc() const override;

 private:
  std::map<LONG, QPointer<QWidget>> elements_;
};

}  // namespace quendel::toolvane::qt

QUENDEL_EXPORT_END
