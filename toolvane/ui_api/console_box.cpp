#include "toolvane/ui_api/console_box.h"

#include <cstdio>
#include <string>

#include "support/codepage.h"

namespace quendel::toolvane::ui {

BStr withoutAccelerators(const BStr& caption) {
  BStr out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&') {
      if (i + 1 < caption.size() && caption[i + 1] == u'&') out.push_back(u'&'), ++i;
      continue;
    }
    out.push_back(caption[i]);
  }
  return out;
}

std::string consoleBoxText(const ConsoleBox& box) {
  BStr text;
  for (size_t i = 0; i < box.text.size(); ++i) {
    if (box.text[i] == u'\r') {
      text.push_back(u'\n');
      if (i + 1 < box.text.size() && box.text[i + 1] == u'\n') ++i;
    } else {
      text.push_back(box.text[i]);
    }
  }
  std::string out = cp::toUtf8(box.caption) + "\n" + cp::toUtf8(text) + "\nButtons:";
  for (size_t i = 0; i < box.buttons.size(); ++i) {
    std::string caption = cp::toUtf8(withoutAccelerators(box.buttons[i]));
    out += static_cast<int>(i) == box.defaultIndex ? " [" + caption + "]" : " " + caption;
  }
  out += "\n";
  if (box.defaultIndex >= 0 && box.defaultIndex < static_cast<int>(box.buttons.size()))
    out += "No display: answered " + cp::toUtf8(withoutAccelerators(box.buttons[box.defaultIndex])) + ".\n";
  else
    out += "No display: closed.\n";
  return out;
}

int showOnConsole(const ConsoleBox& box) {
  std::string text = consoleBoxText(box);
  // The answer is returned whether or not the text reached the terminal.
  (void)std::fwrite(text.data(), 1, text.size(), stderr);
  (void)std::fflush(stderr);
  return box.defaultIndex;
}

}  // namespace quendel::toolvane::ui
