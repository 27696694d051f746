// How a public class hands its member table to the type library: one line in the file
// that describes the class,
//
//   static const ClassRegistration registration(&qndRegistry::describe);
//
// The type library lists the fifteen classes in their fixed order, each with the table
// it registered.
#pragma once

#include <vector>

#include "automation/dispatch.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

using DescribeFn = const automation::ClassDesc& (*)();

class ClassRegistration {
 public:
  explicit ClassRegistration(DescribeFn describe) { registered().push_back(describe); }
  static std::vector<DescribeFn>& registered() {
    static std::vector<DescribeFn> list;
    return list;
  }
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
