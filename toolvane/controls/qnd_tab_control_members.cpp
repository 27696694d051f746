// The member table of qndTabControl, in slot order, with its event interface.
#include "toolvane/controls/qnd_tab_control.h"
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"

namespace quendel::toolvane {

const ClassDesc& qndTabControl::describe() {
  using C = qndTabControl;
  auto flags = [] {
    return std::vector<ParamDesc>{optionalParam(u"PopOnlyThisTab", vbBoolean, Variant(false)),
                                  optionalParam(u"HideOtherTabs", vbBoolean, Variant(false))};
  };
  static const ClassDesc d =
      ClassBuilder<C>(u"qndTabControl")
          .ids(ids::qndTabControl.clsid, ids::qndTabControl.iid)
          .instancing(Instancing::Creatable)
          .creator([] { return std::make_shared<qndTabControl>(); })
          .events(u"__qndTabControl", ids::kTabControlEvents, {EventDesc{u"TabShown", {param(u"CurrTab", vbLong)}}})
          .get(u"CurrentTab", vbLong, [](C& t, CallArgs&) { return Variant(t.CurrentTab()); })
          .get(u"TabsCount", vbLong, [](C& t, CallArgs&) { return Variant(t.TabsCount()); })
          .get(u"TabItem", vbObject, [](C& t, CallArgs& a) { return Variant(t.TabItem(a.lng(0))); },
               {param(u"Index", vbLong)})
          .sub(u"FillTabs", {param(u"vData", vbObject), optionalParam(u"HideOtherTabs", vbBoolean, Variant(false))},
               [](C& t, CallArgs& a) { t.FillTabs(a.obj(0), a.boolean(1)); })
          .memberHelp(
              u"Сюда передаётся обект, для которого Index не пустое, тоесть коллекция всех элементов "
              u"массива контролов.")
          .sub(u"AddTab", {param(u"vData", vbObject), optionalParam(u"HideOtherTabs", vbBoolean, Variant(false))},
               [](C& t, CallArgs& a) { t.AddTab(a.obj(0), a.boolean(1)); })
          .sub(u"ClearTabs", {}, [](C& t, CallArgs&) { t.ClearTabs(); })
          .sub(u"PopTab",
               {optionalParam(u"Index", vbLong, Variant(LONG{-1})),
                optionalParam(u"PopOnlyThisTab", vbBoolean, Variant(false)),
                optionalParam(u"HideOtherTabs", vbBoolean, Variant(false))},
               [](C& t, CallArgs& a) { t.PopTab(a.lng(0), a.boolean(1), a.boolean(2)); })
          .sub(u"PopPrevTab", flags(), [](C& t, CallArgs& a) { t.PopPrevTab(a.boolean(0), a.boolean(1)); })
          .sub(u"PopNextTab", flags(), [](C& t, CallArgs& a) { t.PopNextTab(a.boolean(0), a.boolean(1)); })
          .sub(u"ArrangeTabs", {optionalParam(u"HideOtherTabs", vbBoolean, Variant(false))},
               [](C& t, CallArgs& a) { t.ArrangeTabs(a.boolean(0)); })
          .build();
  return d;
}

static const ClassRegistration registration(ids::qndTabControl.clsid, &qndTabControl::describe);

}  // namespace quendel::toolvane
