#include "toolvane/frame/pending_class.h"

#include <deque>

namespace quendel::toolvane {

const ClassDesc& PendingClass::describe(std::u16string_view name, const ids::ClassIds& classIds, Instancing instancing,
                                        std::u16string_view help) {
  static std::deque<ClassDesc> descs;  // stable addresses
  ClassDesc& d = descs.emplace_back();
  d.name = String(name);
  d.clsid = guidFromLiteral(classIds.clsid);
  d.iid = guidFromLiteral(classIds.iid);
  d.instancing = instancing;
  d.help = String(help);
  if (instancing == Instancing::Global || instancing == Instancing::Creatable)
    d.create = [&d] { return std::make_shared<PendingClass>(d); };
  return d;
}

}  // namespace quendel::toolvane
