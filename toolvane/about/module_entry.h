// CModuleEntry: one module loaded into the process, as the module lists of the About box
// hand it out, and its line in the "Modules list" page.
//
//   auto e = std::make_shared<CModuleEntry>(ModuleData{u"/usr/lib/libz.so.1", u"libz.so.1",
//                                                      0x7F0000000000, 0x1A000, 0x7F0000000000});
//   e->toString(12);
//   // "libz.so.1     0x00007F0000000000                        106496         /usr/lib/libz.so.1"
//
// A private class (not in the type library), readable by name: FileName, Name,
// BaseAddress, BaseSize, PrefferedAddress (gets) and toString(NameSize). The values are
// copied in when the list is built and never change. Addresses are 64-bit here and kept
// whole; BaseAddress and PrefferedAddress read as a Long when they fit 32 bits, else as an
// exact Double (the rule of StdPicture.Handle); BaseSize as a Long up to 2^31 - 1, else a
// Double.
//
// toString(NameSize): Name padded with blanks to NameSize (a longer name is not cut), two
// blanks, the load address as "0x" + 16 hex digits, two blanks, then either
// "(" + preferred address + ")  " for a relocated module or as many blanks (22), the size
// in decimal left-aligned in 13 characters (a longer number is not cut), two blanks and
// the path.
#pragma once

#include <cstdint>

#include "support/export.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

struct ModuleData {
  String FileName;
  String Name;
  std::uint64_t BaseAddress = 0;
  std::uint64_t BaseSize = 0;
  std::uint64_t PrefferedAddress = 0;
};

class CModuleEntry : public LibraryObject {
 public:
  explicit CModuleEntry(ModuleData data) : d_(std::move(data)) {}

  const String& FileName() const { return d_.FileName; }
  const String& Name() const { return d_.Name; }
  std::uint64_t BaseAddress() const { return d_.BaseAddress; }
  std::uint64_t BaseSize() const { return d_.BaseSize; }
  std::uint64_t PrefferedAddress() const { return d_.PrefferedAddress; }
  String toString(LONG NameSize) const;

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

 private:
  ModuleData d_;
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
