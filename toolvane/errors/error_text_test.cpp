#include "toolvane/errors/error_text.h"

#include <gtest/gtest.h>

#include "automation/err_object.h"
#include "support/codepage.h"
#include "support/testing.h"
#include "toolvane/errors/qnd_err.h"

namespace qt = quendel::toolvane;
using quendel::ErrorInfo;
using quendel::RuntimeError;
using quendel::automation::Variant;

namespace {

using quendel::testing::errorOf;

TEST(BuildErrorText, Blocks) {
  struct Row {
    ErrorInfo info;
    const char16_t* text;
  } rows[] = {
      {{5, u"D", u"S", u"", 0}, u"Error number: 5\r\nDescription:  D\r\n\r\nSource:       S"},
      {{0, u"", u"S", u"", 0}, u"Source:       S"},
      {{0, u"", u"", u"", 0}, u"Unknown run-time error."},
      {{53, u"", u"", u"", 0}, u"Error number: 53"},
      {{0, u"two\r\nlines\nand\rmore", u"", u"", 0}, u"Description:  two lines\nand\rmore"},
      {{0, u"a\r\n\r\nb", u"", u"", 0}, u"Description:  a  b"},
      {{-2147221504, u"Can't save bitmap. Win32 error", u"", u"", 0},
       u"Error number: -2147221504 (0x80040000)\r\nDescription:  Can't save bitmap. Win32 error"},
      {{1, u"", u"", u"h.hlp", 70000}, u"Error number: 1\r\nHelp file:    h.hlp\r\nHelp context: 70000 (0x00011170)"},
      {{0, u"\r\n", u"", u"", 0}, u"Description:   "},
  };
  for (const auto& r : rows) EXPECT_EQ(qt::BuildErrorText(r.info), r.text) << quendel::cp::toUtf8(r.text);
}

TEST(GetErrorMessage, ReadsTheErrorObjectByName) {
  qt::qndErr err;
  auto e = quendel::automation::ErrObject::create(RuntimeError(9, u"", u"src").info());
  EXPECT_EQ(err.GetErrorMessage(Variant(e)),
            u"Error number: 9\r\nDescription:  Subscript out of range\r\n\r\nSource:       src");
  EXPECT_EQ(err.call(u"GetErrorMessage", {Variant(quendel::automation::ErrObject::create())}).toString(),
            u"Unknown run-time error.");
  for (const auto& [arg, number] : {std::pair{Variant::nothing(), 91}, std::pair{Variant(5), 424}}) {
    const Variant& value = arg;  // clang 14 cannot capture a structured binding in a lambda
    EXPECT_EQ(errorOf([&] { err.GetErrorMessage(value); }), number);
  }
}

}  // namespace
