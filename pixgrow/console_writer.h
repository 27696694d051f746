// ConsoleWriter: the component through which every text of Pixgrow reaches the console.
//
//   ConsoleWriter con;              // standard output
//   con.Attach(app, true);
//   con.Write(u"All done! ^_^v", 0);
//
// Attach prints nothing. Write sends one text in UTF-8 (the encoding the program's
// arguments are read in), with every CR LF of the text turned into LF, and ends it
// with a line break; the output is flushed after each text so that it interleaves
// correctly with anything else the terminal shows. Finish ends the writer's session
// (nothing to do on this platform). Write errors (a closed pipe) are ignored: the
// program's exit status still tells the outcome.
#pragma once

#include <cstdio>

#include "automation/object.h"

namespace quendel::pixgrow {

class ConsoleWriter {
 public:
  explicit ConsoleWriter(std::FILE* out = stdout) : out_(out) {}
  void Attach(const automation::ObjectPtr& app, bool attach);
  void Write(const automation::String& text, LONG flags);
  void Finish(LONG flags);

 private:
  std::FILE* out_;
  automation::ObjectPtr app_;
};

}  // namespace quendel::pixgrow
