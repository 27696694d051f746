// qndErr: the library's global class of error texts and error display.
//
//   String text = globalInstance<qndErr>()->GetErrorMessage(Variant(errObject));
//
// GetErrorMessage reads the five values of the caller's error object by name and returns
// BuildErrorText of them (error_text.h). Nothing raises 91; an object without those
// members raises 438.
#pragma once

#include "toolvane/frame/library_object.h"

namespace quendel::toolvane {

class qndErr : public LibraryObject {
 public:
  String GetErrorMessage(const Variant& ErrObject);

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }
};

}  // namespace quendel::toolvane
