// qndMain: the library's global class of general helpers. Its hidden instance makes the
// members callable as if they were global functions.
//
//   auto parser = globalInstance<qndMain>()->CommandLine();
//
// CommandLine hands out this object's one CommandLineParser, created on the first call
// (it then splits the process's own command line) and kept while the object lives.
#pragma once

#include <memory>

#include "toolvane/frame/library_object.h"
#include "toolvane/general/command_line_parser.h"

namespace quendel::toolvane {

class qndMain : public LibraryObject {
 public:
  std::shared_ptr<CommandLineParser> CommandLine();

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

 private:
  std::shared_ptr<CommandLineParser> commandLine_;
};

}  // namespace quendel::toolvane
