// ControlsCollection: the Controls of a form as the library reads them, a snapshot of the
// adapters (widget_adapter.h) of the form's child widgets taken when Controls is read:
// children in creation order, each frame followed by the controls inside it; windows on
// the form (dialogs it owns) are not its controls.
//
//   ObjectPtr controls = ControlsCollection::of(form);
//   LONG n = controls->get(u"Count").toLong();
//
// Members: Item(Index) (the default member) by 0-based position, or by Name without
// letter case; Count; _NewEnum. A position outside raises 9, an unknown name 730
// ("Control 'x' not found").
#pragma once

#include <QWidget>
#include <vector>

#include "automation/dispatch.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::qt {

class ControlsCollection : public automation::Object {
 public:
  static std::shared_ptr<ControlsCollection> of(QWidget& form);

  explicit ControlsCollection(std::vector<automation::Variant> items) : items_(std::move(items)) {}

  automation::String className() const override { return u"Object"; }
  const automation::ClassDesc* classDesc() const override;

 private:
  automation::Variant item(const automation::Variant& index) const;

  std::vector<automation::Variant> items_;
};

}  // namespace quendel::toolvane::qt

QUENDEL_EXPORT_END
