// ModuleList: what the two module-list back-ends of the About box share, the entries of
// one snapshot of the process's modules and the two members the form reads by name.
//
//   LONG n = list->ModulesCount();
//   ObjectPtr first = list->ModuleItem(0);   // a CModuleEntry; 9 outside 0 .. n - 1
//
// The entries are taken when the back-end is made and never refreshed.
#pragma once

#include <memory>
#include <vector>

#include "support/export.h"
#include "toolvane/about/module_entry.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

class ModuleList : public LibraryObject {
 public:
  LONG ModulesCount() const { return static_cast<LONG>(entries_.size()); }
  // The entry at a 0-based position; raises 9 (Subscript out of range) outside the list.
  std::shared_ptr<CModuleEntry> ModuleItem(LONG Index) const;

 protected:
  void add(ModuleData data) { entries_.push_back(std::make_shared<CModuleEntry>(std::move(data))); }
  // The preferred base of the module loaded at base in this process; a module whose
  // headers cannot be read counts as loaded where it asks (never shown as relocated).
  static std::uint64_t preferredAddress(std::uint64_t base);
  // Builds a back-end's member table: ModulesCount and ModuleItem.
  template <class T>
  static ClassDesc describeList(std::u16string_view name) {
    return ClassBuilder<T>(name)
        .instancing(Instancing::Private)
        .get(u"ModulesCount", vbLong, [](T& l, CallArgs&) { return Variant(l.ModulesCount()); })
        .get(u"ModuleItem", vbObject, [](T& l, CallArgs& a) { return Variant(ObjectPtr(l.ModuleItem(a.lng(0)))); },
             {param(u"Index", vbLong)})
        .build();
  }

 private:
  std::vector<std::shared_ptr<CModuleEntry>> entries_;
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
