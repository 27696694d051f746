// CommandLineParser: a command line split into its module name and its arguments.
//
//   auto p = globalInstance<qndMain>()->CommandLine();
//   p->SetNewCommandLine(u"3p \"a b.png\" c.png");   // a dummy module name goes first
//   p->Count();     // 3
//   p->Item(1);     // a b.png
//   p->Item(-1);    // the executable's file name
//
// Rules: blanks separate arguments; a double quote at the start of an argument opens it
// and the next double quote closes it; there is no escape character. Other white space
// inside an argument stays part of it, a quote inside an unquoted argument is an
// ordinary character, text right after a closing quote starts a new argument, an empty
// pair of quotes is an empty argument, and a missing closing quote makes the rest of the
// line the last argument. Item raises 9 (Subscript out of range) for an index below -1
// or past the last argument. A new parser splits the command line of its own process.
#pragma once

#include <vector>

#include "support/export.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

class CommandLineParser : public LibraryObject {
 public:
  CommandLineParser();

  LONG Count() const;
  String Item(LONG Index) const;
  void SetNewCommandLine(const String& NewCommandLine, bool AddDummyEXEModuleName = true);

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

 private:
  std::vector<String> list_;  // element 0 is the module name
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
