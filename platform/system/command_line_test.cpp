#include "platform/system/command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, JoinQuotesEmptyAndBlankArguments) {
  struct Row {
    std::vector<std::u16string> args;
    std::u16string line;
  } rows[] = {
      {{u"prog"}, u"prog"},
      {{u"prog", u"3p", u"a b.png", u"c.png"}, u"prog 3p \"a b.png\" c.png"},
      {{u"prog", u""}, u"prog \"\""},
      {{u"prog", u"tab\there"}, u"prog \"tab\there\""},
      {{u"/opt/my app/prog", u"x"}, u"\"/opt/my app/prog\" x"},
      {{}, u""},
  };
  for (const auto& r : rows) EXPECT_EQ(quendel::platform::joinCommandLine(r.args), r.line);
}

TEST(CommandLine, ProcessLineStartsWithTheProgram) {
  std::u16string line = GetCommandLineW();
  ASSERT_FALSE(line.empty());
  EXPECT_EQ(line, GetCommandLineW());  // built once, the same text every time
  auto args = quendel::platform::processArguments();
  ASSERT_FALSE(args.empty());
  EXPECT_NE(line.find(u"platform_system_tests"), std::u16string::npos);
}

}  // namespace
