#include "toolvane/ui_api/console_box.h"

#include <gtest/gtest.h>

namespace ui = quendel::toolvane::ui;

namespace {

TEST(ConsoleBox, WrittenForm) {
  struct Row {
    ui::ConsoleBox box;
    const char* text;
  } rows[] = {
      {{u"Backup", u"Disk full", {u"&Yes", u"&No"}, 0},
       "Backup\nDisk full\nButtons: [Yes] No\nNo display: answered Yes.\n"},
      {{u" ", u"a\r\nb\rc\nd", {u"&Abort", u"&Retry", u"&Ignore"}, 1},
       " \na\nb\nc\nd\nButtons: Abort [Retry] Ignore\nNo display: answered Retry.\n"},
      {{u"Т", u"Ошибка", {u"&Да", u"R&&D"}, -1}, "Т\nОшибка\nButtons: Да R&D\nNo display: closed.\n"},
  };
  for (const auto& r : rows) EXPECT_EQ(ui::consoleBoxText(r.box), r.text);
}

TEST(ConsoleBox, AnswersWithTheDefaultButton) {
  testing::internal::CaptureStderr();
  int pressed = ui::showOnConsole({u"T", u"x", {u"OK", u"Cancel"}, 1});
  std::string written = testing::internal::GetCapturedStderr();
  EXPECT_EQ(pressed, 1);
  EXPECT_EQ(written, "T\nx\nButtons: OK [Cancel]\nNo display: answered Cancel.\n");
}

TEST(ConsoleBox, AcceleratorsDropped) {
  EXPECT_EQ(ui::withoutAccelerators(u"&Yes"), u"Yes");
  EXPECT_EQ(ui::withoutAccelerators(u"R&&D &x"), u"R&D x");
  EXPECT_EQ(ui::withoutAccelerators(u"end&"), u"end");
}

}  // namespace
