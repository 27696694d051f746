// A public class whose members are still to be written: it has its identifiers,
// instancing and help string, can be created, and answers every member call with 438.
#pragma once

#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/library_object.h"

namespace quendel::toolvane {

class PendingClass : public LibraryObject {
 public:
  explicit PendingClass(const ClassDesc& desc) : desc_(desc) {}
  const ClassDesc* classDesc() const override { return &desc_; }

  // The description of such a class; lives for the life of the library.
  static const ClassDesc& describe(std::u16string_view name, const ids::ClassIds& ids, Instancing instancing,
                                   std::u16string_view help = {});

 private:
  const ClassDesc& desc_;
};

}  // namespace quendel::toolvane
