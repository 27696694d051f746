#include "toolvane/general/command_line_parser.h"

#include <gtest/gtest.h>

#include "support/codepage.h"
#include "support/quendelsupport.h"
#include "support/testing.h"
#include "toolvane/general/qnd_main.h"

namespace qt = quendel::toolvane;
using quendel::RuntimeError;
using quendel::automation::Variant;

namespace {

using quendel::testing::errorOf;

std::vector<std::u16string> split(const std::u16string& line, bool dummy = false) {
  qt::CommandLineParser p;
  p.SetNewCommandLine(line, dummy);
  std::vector<std::u16string> items;
  for (LONG i = -1; i < p.Count(); ++i) items.push_back(p.Item(i));
  return items;
}

TEST(CommandLineParser, SplittingRules) {
  using V = std::vector<std::u16string>;
  struct Row {
    const char16_t* line;
    V items;  // module name first
  } rows[] = {
      {u"prog", {u"prog"}},
      {u"prog 3p \"a b.png\" out.png", {u"prog", u"3p", u"a b.png", u"out.png"}},
      {u"prog   a    b", {u"prog", u"a", u"b"}},
      {u"\"C:\\Program Files\\app.exe\" x", {u"C:\\Program Files\\app.exe", u"x"}},
      {u"prog a\"b c", {u"prog", u"a\"b", u"c"}},
      {u"prog \"ab\"cd", {u"prog", u"ab", u"cd"}},
      {u"prog \"\"", {u"prog", u""}},
      {u"prog \"\" \"\"", {u"prog", u"", u""}},
      {u"prog \"open to the end", {u"prog", u"open to the end"}},
      {u"prog a\tb", {u"prog", u"a\tb"}},
      {u"  \t prog  x  \r\n", {u"prog", u"x"}},
      {u"prog \"a\"\"b\"", {u"prog", u"a", u"b"}},
      {u"prog \"", {u"prog", u""}},
      {u"\"", {u""}},
  };
  for (const auto& r : rows) EXPECT_EQ(split(r.line), r.items) << quendel::cp::toUtf8(r.line);
}

TEST(CommandLineParser, CountAndItemBounds) {
  qt::CommandLineParser p;
  p.SetNewCommandLine(u"prog", false);
  EXPECT_EQ(p.Count(), 0);
  p.SetNewCommandLine(u"", false);
  EXPECT_EQ(p.Count(), 0);
  EXPECT_EQ(p.Item(-1), asGetEXEModulePrettyFileName());  // an empty list still names the program
  EXPECT_THROW(p.Item(0), RuntimeError);
  p.SetNewCommandLine(u"   ", false);
  EXPECT_EQ(p.Count(), 0);

  p.SetNewCommandLine(u"a b c");  // a dummy module name in front by default
  EXPECT_EQ(p.Count(), 3);
  EXPECT_EQ(p.Item(-1), asGetEXEModulePrettyFileName());
  EXPECT_EQ(p.Item(0), u"a");
  EXPECT_EQ(p.Item(2), u"c");
  for (LONG bad : {-2, 3, 1000, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(errorOf([&] { p.Item(bad); }), 9) << bad;
  }
}

TEST(CommandLineParser, HostileLinesStayLinear) {
  qt::CommandLineParser p;
  std::u16string many;
  for (int i = 0; i < 500000; ++i) many += u"a ";  // a megabyte of one-letter arguments
  p.SetNewCommandLine(many, false);
  EXPECT_EQ(p.Count(), 499999);
  std::u16string quotes(1 << 20, u'"');  // a megabyte of quotes: empty arguments
  p.SetNewCommandLine(quotes, false);
  EXPECT_EQ(p.Count(), (1 << 19) - 1);
  std::u16string unbalanced = u"\"" + std::u16string(1 << 20, u'x');
  p.SetNewCommandLine(unbalanced, false);
  EXPECT_EQ(p.Count(), 0);
  EXPECT_EQ(p.Item(-1).size(), 1u << 20);
}

TEST(CommandLineParser, ProcessCommandLineAndLateBinding) {
  auto m = std::make_shared<qt::qndMain>();
  auto parser = m->get(u"CommandLine").toObject();
  EXPECT_EQ(parser, m->get(u"commandline").toObject());  // one parser per object
  EXPECT_NE(parser->get(u"Item", {Variant(-1)}).toString().find(u"toolvane_general_tests"), std::u16string::npos);
  parser->call(u"SetNewCommandLine", {Variant(u"\"ab\"cd")});
  EXPECT_EQ(parser->get(u"Count").toLong(), 2);
  EXPECT_EQ(parser->get(u"", {Variant(0)}).toString(), u"ab");
  EXPECT_EQ(parser->get(u"Item", {Variant(1)}).toString(), u"cd");
  EXPECT_EQ(errorOf([&] { parser->get(u"Item", {Variant(-2)}); }), 9);
}

}  // namespace
