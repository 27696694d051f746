#include "toolvane/general/qnd_main.h"

namespace quendel::toolvane {

std::shared_ptr<CommandLineParser> qndMain::CommandLine() {
  if (!commandLine_) commandLine_ = std::make_shared<CommandLineParser>();
  return commandLine_;
}

}  // namespace quendel::toolvane
