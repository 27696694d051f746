// The member table of CModuleEntry (a private class: reachable by name, not listed in
// the type library).
#include <limits>

#include "automation/std_picture.h"
#include "toolvane/about/module_entry.h"

namespace quendel::toolvane {
namespace {

Variant sizeToVariant(std::uint64_t size) {
  if (size <= static_cast<std::uint64_t>(std::numeric_limits<LONG>::max())) return Variant(static_cast<LONG>(size));
  return Variant(static_cast<double>(size));
}

}  // namespace

const ClassDesc& CModuleEntry::describe() {
  using C = CModuleEntry;
  static const ClassDesc d =
      ClassBuilder<C>(u"CModuleEntry")
          .instancing(Instancing::Private)
          .get(u"FileName", vbString, [](C& e, CallArgs&) { return Variant(e.FileName()); })
          .get(u"Name", vbString, [](C& e, CallArgs&) { return Variant(e.Name()); })
          .get(u"BaseAddress", vbVariant,
               [](C& e, CallArgs&) { return handleToVariant(static_cast<std::uintptr_t>(e.BaseAddress())); })
          .get(u"BaseSize", vbVariant, [](C& e, CallArgs&) { return sizeToVariant(e.BaseSize()); })
          .get(u"PrefferedAddress", vbVariant,
               [](C& e, CallArgs&) { return handleToVariant(static_cast<std::uintptr_t>(e.PrefferedAddress())); })
          .function(u"toString", vbString, {param(u"NameSize", vbLong)},
                    [](C& e, CallArgs& a) { return Variant(e.toString(a.lng(0))); })
          .build();
  return d;
}

}  // namespace quendel::toolvane
