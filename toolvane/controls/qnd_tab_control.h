// qndTabControl: turns ordinary controls (usually the frames of a control array, stacked
// on each other) into pages of which one is brought forward at a time. It draws nothing:
// it calls each page's ZOrder and sets its Visible, by name, and raises TabShown.
//
//   auto tabs = std::make_shared<qndTabControl>();
//   tabs->advise(std::make_shared<FunctionSink>(onTabShown));   // TabShown(CurrTab)
//   tabs->FillTabs(fraTab);        // fraTab: a control array; its last element is shown
//   tabs->PopTab(1, false, true);  // page 1 on top, the others hidden
//   tabs->PopNextTab();            // 2; after the last comes 1 again
//
// Pages are held in the order added, at 1-based positions. PopTab(Index = −1: the current
// page) restacks all pages in order (unless PopOnlyThisTab), sets every page's Visible to
// not HideOtherTabs, brings the chosen page to the front visible, stores its position and
// raises TabShown(Index) synchronously (the handler may call this object again).
// Errors: a position outside 1 to TabsCount raises 5 with nothing changed; AddTab of
// Nothing raises 380; TabItem outside the pages raises 9; a page whose Visible or ZOrder
// fails stops PopTab with that error, without storing the position or raising the event;
// in FillTabs an element the control array lacks raises its error, the elements before it
// staying added. ClearTabs drops the pages but keeps the current position.
#pragma once

#include <vector>

#include "support/export.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

class qndTabControl : public LibraryObject {
 public:
  LONG CurrentTab() const { return current_; }
  LONG TabsCount() const { return static_cast<LONG>(tabs_.size()); }
  ObjectPtr TabItem(LONG Index) const;
  void FillTabs(const ObjectPtr& vData, bool HideOtherTabs = false);
  void AddTab(const ObjectPtr& vData, bool HideOtherTabs = false);
  void ClearTabs();
  void PopTab(LONG Index = -1, bool PopOnlyThisTab = false, bool HideOtherTabs = false);
  void PopPrevTab(bool PopOnlyThisTab = false, bool HideOtherTabs = false);
  void PopNextTab(bool PopOnlyThisTab = false, bool HideOtherTabs = false);
  void ArrangeTabs(bool HideOtherTabs = false);

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

 private:
  std::vector<ObjectPtr> tabs_;
  LONG current_ = 0;
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
