#include "pixgrow/console_writer.h"

#include "support/codepage.h"

namespace quendel::pixgrow {

void ConsoleWriter::Attach(const automation::ObjectPtr& app, bool) { app_ = app; }

void ConsoleWriter::Write(const automation::String& text, LONG) {
  automation::String plain;
  plain.reserve(text.size() + 1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
    plain.push_back(text[i]);
  }
  plain.push_back(u'\n');
  const std::string bytes = cp::toUtf8(plain);
  // Write errors (a closed pipe) are ignored: the exit status still tells the outcome.
  (void)std::fwrite(bytes.data(), 1, bytes.size(), out_);
  (void)std::fflush(out_);
}

void ConsoleWriter::Finish(LONG) { (void)std::fflush(out_); }

}  // namespace quendel::pixgrow
