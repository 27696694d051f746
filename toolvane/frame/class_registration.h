// How a public class hands its member table to the type library: one line in the file
// that describes the class, with the class identifier the table carries,
//
//   static const ClassRegistration registration(ids::qndRegistry.clsid, &qndRegistry::describe);
//
// The type library lists the fifteen classes in their fixed order, each with the table
// it registered. find() builds the table of the one class asked for, so that creating an
// object by class identifier does not build the other fourteen.
#pragma once

#include <vector>

#include "automation/dispatch.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

using DescribeFn = const automation::ClassDesc& (*)();

class ClassRegistration {
 public:
  struct Entry {
    const char* clsid;  // "{...}", as in class_ids.h
    DescribeFn describe;
  };

  ClassRegistration(const char* clsid, DescribeFn describe) { registered().push_back({clsid, describe}); }
  static std::vector<Entry>& registered() {
    static std::vector<Entry> list;
    return list;
  }
  // The member table registered for clsid; null when no class registered it.
  static const automation::ClassDesc* find(const GUID& clsid);
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
