#include "toolvane/frame/client_objects.h"

#include "automation/safe_array.h"

namespace quendel::toolvane {

using namespace automation;

bool isOfType(const ObjectPtr& object, std::u16string_view typeName) {
  return object && equalsText(object->className(), typeName);
}

ObjectPtr controlArrayItem(Object& array, LONG index) {
  ObjectPtr item = array.get(u"", {Variant(index)}).toObject();
  if (!item) throw RuntimeError(91);
  return item;
}

std::vector<Variant> forEachItem(const Variant& collection) {
  Variant items = collection;
  if (!items.isArray()) {
    if (!items.isObject()) throw RuntimeError(13);
    ObjectPtr o = items.toObject();
    if (!o) throw RuntimeError(91);
    items = o->call(u"_NewEnum");
    if (!items.isArray()) throw RuntimeError(13);
  }
  std::vector<Variant> out;
  if (auto a = items.array())
    for (LONG i = a->lbound(); i <= a->ubound(); ++i) out.push_back(a->get(i));
  return out;
}

}  // namespace quendel::toolvane
