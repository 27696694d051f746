#include "toolvane/controls/qnd_tab_control.h"

#include "toolvane/frame/client_objects.h"

namespace quendel::toolvane {

ObjectPtr qndTabControl::TabItem(LONG Index) const {
  if (Index < 1 || Index > TabsCount()) throw RuntimeError(9);
  return tabs_[static_cast<std::size_t>(Index - 1)];
}

void qndTabControl::PopTab(LONG Index, bool PopOnlyThisTab, bool HideOtherTabs) {
  if (Index == -1) Index = current_;
  if (Index < 1 || Index > TabsCount()) throw RuntimeError(5);
  // A page's own handlers may add or clear pages while it is being changed; this round
  // works on the pages as they were when it started.
  std::vector<ObjectPtr> pages = tabs_;
  if (!PopOnlyThisTab)
    for (const ObjectPtr& page : pages) page->call(u"ZOrder");
  for (const ObjectPtr& page : pages) page->let(u"Visible", Variant(!HideOtherTabs));
  const ObjectPtr& chosen = pages[static_cast<std::size_t>(Index - 1)];
  chosen->call(u"ZOrder");
  chosen->let(u"Visible", Variant(true));
  current_ = Index;
  std::vector<Variant> args{Variant(Index)};
  raiseEvent(u"TabShown", args);
}

void qndTabControl::PopNextTab(bool PopOnlyThisTab, bool HideOtherTabs) {
  LONG next = current_ + 1;
  if (next > TabsCount()) next = 1;
  PopTab(next, PopOnlyThisTab, HideOtherTabs);
}

void qndTabControl::PopPrevTab(bool PopOnlyThisTab, bool HideOtherTabs) {
  LONG previous = current_ >= 2 ? current_ - 1 : TabsCount();
  PopTab(previous, PopOnlyThisTab, HideOtherTabs);
}

void qndTabControl::ArrangeTabs(bool HideOtherTabs) { PopTab(-1, false, HideOtherTabs); }

void qndTabControl::AddTab(const ObjectPtr& vData, bool HideOtherTabs) {
  if (!vData) throw RuntimeError(380);
  tabs_.push_back(vData);
  PopTab(TabsCount(), false, HideOtherTabs);
}

void qndTabControl::FillTabs(const ObjectPtr& vData, bool HideOtherTabs) {
  ClearTabs();
  if (!vData) throw RuntimeError(91);
  LONG lower = vData->get(u"LBound").toLong();
  LONG upper = vData->get(u"UBound").toLong();
  for (std::int64_t i = lower; i <= upper; ++i) tabs_.push_back(controlArrayItem(*vData, static_cast<LONG>(i)));
  PopTab(TabsCount(), false, HideOtherTabs);
}

void qndTabControl::ClearTabs() { tabs_.clear(); }

}  // namespace quendel::toolvane
