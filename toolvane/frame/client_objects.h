// Reaching a client's forms, controls and control arrays by member name, the way the
// library's helpers need it.
//
//   if (isOfType(button, u"CommandButton")) ...          // TypeOf button Is CommandButton
//   ObjectPtr item = controlArrayItem(*options, 3);      // options(3)
//   for (const Variant& c : forEachItem(form->get(u"Controls"))) ...
//   bool ok = ignoringErrors([&] { ctl->let(u"Enabled", Variant(true)); });
//
// - isOfType compares the object's class name (what TypeName reports: "TextBox" for a
//   text box, the Python class name for a Python object) without regard to letter case.
//   False for a null object.
// - controlArrayItem reads the array's default member with the index; raises the array's
//   own error for an index without an element, 91 when it gives Nothing.
// - forEachItem lists the items of an array Variant (in index order) or of an object that
//   enumerates (_NewEnum); raises 13 for a value that is neither, 91 for Nothing.
// - ignoringErrors runs a step and reports whether it went through; the step's run-time
//   error is dropped (the library's "errors ignored" stretches). Other exceptions pass.
#pragma once

#include <string_view>
#include <vector>

#include "automation/object.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

using automation::ObjectPtr;
using automation::Variant;

bool isOfType(const ObjectPtr& object, std::u16string_view typeName);
ObjectPtr controlArrayItem(automation::Object& array, LONG index);
std::vector<Variant> forEachItem(const Variant& collection);

template <class F>
bool ignoringErrors(F&& step) {
  try {
    step();
    return true;
  } catch (const RuntimeError&) {
    return false;
  }
}

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
