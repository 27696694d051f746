// The member table of qndMain, in slot order.
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"
#include "toolvane/general/qnd_main.h"

namespace quendel::toolvane {

namespace {

using C = qndMain;
using B = ClassBuilder<C>;

std::vector<ParamDesc> arraySearchParams(VarType elementType, VarType findType, bool withIsFound) {
  std::vector<ParamDesc> p{param(u"ArrayX", VarType(vbArray | elementType), kIn | kOut), param(u"FindWhat", findType),
                           optionalVariant(u"StartAt"), optionalVariant(u"EndAt")};
  if (withIsFound) p.push_back(optionalParam(u"IsFound", vbBoolean, Variant(false), kIn | kOut));
  return p;
}

std::vector<ParamDesc> collectionSearchParams(bool withIsFound) {
  std::vector<ParamDesc> p{param(u"Collection", vbObject), param(u"FindWhat", vbVariant), optionalVariant(u"StartAt"),
                           optionalVariant(u"EndAt")};
  if (withIsFound) p.push_back(optionalParam(u"IsFound", vbBoolean, Variant(false), kIn | kOut));
  return p;
}

// IsFound is written back also when the search raises, as the member set it first.
template <class F>
Variant withIsFound(CallArgs& a, F search) {
  bool found = false;
  a.ref(4) = Variant(false);
  LONG index = search(&found);
  a.ref(4) = Variant(found);
  return Variant(index);
}

// ArrayString, ArrayLong, Collection.
B& building(B& b) {
  return b
      .function(u"ArrayString", VarType(vbArray | vbString), {paramArray(u"Args")},
                [](C& m, CallArgs& a) { return m.ArrayString(a.paramArray()); })
      .function(u"ArrayLong", VarType(vbArray | vbLong), {paramArray(u"Args")},
                [](C& m, CallArgs& a) { return m.ArrayLong(a.paramArray()); })
      .function(u"Collection", vbObject, {paramArray(u"Args")},
                [](C& m, CallArgs& a) { return Variant(m.Collection(a.paramArray())); });
}

// The In* and IsIn* searches of arrays and collections.
B& searching(B& b) {
  return b
      .function(u"InArrayLong", vbLong, arraySearchParams(vbLong, vbLong, true),
                [](C& m, CallArgs& a) {
                  return withIsFound(a, [&](bool* f) { return m.InArrayLong(a[0], a.lng(1), a[2], a[3], f); });
                })
      .function(u"InArrayString", vbLong, arraySearchParams(vbString, vbString, true),
                [](C& m, CallArgs& a) {
                  return withIsFound(a, [&](bool* f) { return m.InArrayString(a[0], a.str(1), a[2], a[3], f); });
                })
      .function(u"InArrayStringText", vbLong, arraySearchParams(vbString, vbString, true),
                [](C& m, CallArgs& a) {
                  return withIsFound(a, [&](bool* f) { return m.InArrayStringText(a[0], a.str(1), a[2], a[3], f); });
                })
      .function(u"InCollection", vbLong, collectionSearchParams(true),
                [](C& m, CallArgs& a) {
                  return withIsFound(a, [&](bool* f) { return m.InCollection(a.obj(0), a[1], a[2], a[3], f); });
                })
      .function(u"InCollectionString", vbLong, collectionSearchParams(true),
                [](C& m, CallArgs& a) {
                  return withIsFound(a, [&](bool* f) { return m.InCollectionString(a.obj(0), a[1], a[2], a[3], f); });
                })
      .function(u"InCollectionStringText", vbLong, collectionSearchParams(true),
                [](C& m, CallArgs& a) {
                  return withIsFound(a,
                                     [&](bool* f) { return m.InCollectionStringText(a.obj(0), a[1], a[2], a[3], f); });
                })
      .function(u"IsInArrayLong", vbBoolean, arraySearchParams(vbLong, vbLong, false),
                [](C& m, CallArgs& a) { return Variant(m.IsInArrayLong(a[0], a.lng(1), a[2], a[3])); })
      .function(u"IsInArrayString", vbBoolean, arraySearchParams(vbString, vbString, false),
                [](C& m, CallArgs& a) { return Variant(m.IsInArrayString(a[0], a.str(1), a[2], a[3])); })
      .function(u"IsInArrayStringText", vbBoolean, arraySearchParams(vbString, vbString, false),
                [](C& m, CallArgs& a) { return Variant(m.IsInArrayStringText(a[0], a.str(1), a[2], a[3])); })
      .function(u"IsInCollection", vbBoolean, collectionSearchParams(false),
                [](C& m, CallArgs& a) { return Variant(m.IsInCollection(a.obj(0), a[1], a[2], a[3])); })
      .function(u"IsInCollectionString", vbBoolean, collectionSearchParams(false),
                [](C& m, CallArgs& a) { return Variant(m.IsInCollectionString(a.obj(0), a[1], a[2], a[3])); })
      .function(u"IsInCollectionStringText", vbBoolean, collectionSearchParams(false),
                [](C& m, CallArgs& a) { return Variant(m.IsInCollectionStringText(a.obj(0), a[1], a[2], a[3])); });
}

// JoinCollection, SplitCollection.
B& joiningAndSplitting(B& b) {
  return b
      .function(u"JoinCollection", vbString,
                {param(u"SourceCollection", vbObject), param(u"Delimiter", vbString),
                 optionalParam(u"RaiseErrors", vbBoolean, Variant(false))},
                [](C& m, CallArgs& a) { return Variant(m.JoinCollection(a.obj(0), a.str(1), a.boolean(2))); })
      .function(
          u"SplitCollection", vbObject,
          {param(u"Expression", vbString), optionalVariant(u"Delimiter"),
           optionalParam(u"Limit", vbLong, Variant(LONG{-1})), optionalParam(u"Compare", vbLong, Variant(LONG{0})),
           optionalParam(u"RaiseErrors", vbBoolean, Variant(false))},
          [](C& m, CallArgs& a) {
            return Variant(m.SplitCollection(a.str(0), a[1], a.lng(2), a.lng(3), a.boolean(4)));
          });
}

// Option groups, buttons, forms, fonts and cursors, the command line.
B& controlsAndForms(B& b) {
  return b
      .function(u"GetSelectedOptionButtonIndex", vbLong, {param(u"OptionButtonArray", vbObject)},
                [](C& m, CallArgs& a) { return Variant(m.GetSelectedOptionButtonIndex(a.obj(0))); })
      .sub(u"SetSelectedOptionButtonIndex", {param(u"OptionButtonArray", vbObject), param(u"Index", vbLong)},
           [](C& m, CallArgs& a) { m.SetSelectedOptionButtonIndex(a.obj(0), a.lng(1)); })
      .sub(u"EnableOptionButtonGroup", {param(u"OptionButtonArray", vbObject)},
           [](C& m, CallArgs& a) { m.EnableOptionButtonGroup(a.obj(0)); })
      .sub(u"DisableOptionButtonGroup", {param(u"OptionButtonArray", vbObject)},
           [](C& m, CallArgs& a) { m.DisableOptionButtonGroup(a.obj(0)); })
      .function(u"PressButton", vbBoolean, {param(u"Button", vbObject)},
                [](C& m, CallArgs& a) { return Variant(m.PressButton(a.obj(0))); })
      .sub(u"ShowModalForm", {param(u"ParentForm", vbObject), param(u"ChildForm", vbObject)},
           [](C& m, CallArgs& a) { m.ShowModalForm(a.obj(0), a.obj(1)); })
      .sub(u"FixFonts", {param(u"Frm", vbObject)}, [](C& m, CallArgs& a) { m.FixFonts(a.obj(0)); })
      .sub(u"FixCBCursors", {param(u"Frm", vbObject)}, [](C& m, CallArgs& a) { m.FixCBCursors(a.obj(0)); })
      .get(u"CommandLine", vbObject, [](C& m, CallArgs&) { return Variant(m.CommandLine()); });
}

// The text-box insert hooks.
B& insertHooks(B& b) {
  return b
      .function(u"AddTextBoxInsertHook", vbBoolean, {param(u"TextBoxControl", vbObject)},
                [](C& m, CallArgs& a) { return Variant(m.AddTextBoxInsertHook(a.obj(0))); })
      .memberHelp(
          u"Добавляет обработчик, который запрещает в текстбокс вставку текста из буфера обмена. "
          u"Своего рода борьба с глюком.")
      .function(u"RemoveTextBoxInsertHook", vbBoolean, {param(u"TextBoxControl", vbObject)},
                [](C& m, CallArgs& a) { return Variant(m.RemoveTextBoxInsertHook(a.obj(0))); })
      .sub(u"ClearTextBoxInsertHooks", {}, [](C& m, CallArgs&) { m.ClearTextBoxInsertHooks(); })
      .memberHelp(u"Удаляет все обработчики, созданные через AddTextBoxInsertHook().");
}

}  // namespace

const ClassDesc& qndMain::describe() {
  static const ClassDesc d = [] {
    B b(u"qndMain");
    b.ids(ids::qndMain.clsid, ids::qndMain.iid)
        .instancing(Instancing::Global)
        .help(u"Класс разных глобальных функций")
        .creator([] { return std::make_shared<qndMain>(); });
    describeAboutBox(insertHooks(controlsAndForms(joiningAndSplitting(searching(building(b))))));
    return b.build();
  }();
  return d;
}

static const ClassRegistration registration(ids::qndMain.clsid, &qndMain::describe);

}  // namespace quendel::toolvane
