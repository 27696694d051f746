#include "toolvane/errors/error500.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/codepage.h"
#include "support/quendelsupport.h"
#include "support/testing.h"

namespace qt = quendel::toolvane;
using quendel::RuntimeError;
using quendel::automation::Variant;

namespace {

using quendel::ErrorInfo;
using quendel::testing::errorInfoOf;

TEST(Error500ButtonSets, CaptionsDefaultsCancelsResults) {
  setenv("LC_ALL", "en_US.UTF-8", 1);
  struct Row {
    LONG style;
    std::vector<std::u16string> captions;
    int standardDefault, standardCancel;
    std::vector<LONG> results;
  } rows[] = {
      {0, {u"OK"}, 0, 0, {1}},
      {1, {u"OK", u"Cancel"}, 0, 1, {1, 2}},
      {2, {u"&Abort", u"&Retry", u"&Ignore"}, 1, 0, {3, 4, 5}},
      {3, {u"&Yes", u"&No", u"Cancel"}, 0, 2, {6, 7, 2}},
      {4, {u"&Yes", u"&No"}, 0, 1, {6, 7}},
      {5, {u"&Retry", u"Cancel"}, 0, 1, {4, 2}},
      {0x15, {u"&Retry", u"Cancel"}, 0, 1, {4, 2}},  // only the low four bits choose the set
  };
  for (const auto& r : rows) {
    const qt::Error500ButtonSet& set = qt::error500ButtonSet(r.style);
    ASSERT_EQ(set.count, static_cast<int>(r.captions.size())) << r.style;
    for (int i = 0; i < set.count; ++i) {
      EXPECT_EQ(qt::loadUser32String(set.stringIds[i], set.fallbacks[i]), r.captions[i]) << r.style;
      EXPECT_EQ(qt::buttonIndexToResult(r.style, i), r.results[i]) << r.style;
    }
    EXPECT_EQ(set.standardDefault, r.standardDefault);
    EXPECT_EQ(set.standardCancel, r.standardCancel);
  }
  for (LONG style = 6; style <= 15; ++style) {
    EXPECT_EQ(qt::error500ButtonSet(style).standardDefault, -1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(qt::buttonIndexToResult(style, i), 0);
  }
  unsetenv("LC_ALL");
}

TEST(Error500ButtonSets, RussianCaptionsFromUser32) {
  setenv("LC_ALL", "ru_RU.UTF-8", 1);
  setenv("QUENDEL_ACP", "65001", 1);
  quendel::cp::resetForTests();
  EXPECT_EQ(qt::loadUser32String(805, u"&Yes"), u"&Да");
  EXPECT_EQ(qt::loadUser32String(801, u"&Cancel"), u"Отмена");
  // A string User32 does not have falls back to the design caption.
  EXPECT_EQ(qt::loadUser32String(799, u"&Ok"), u"&Ok");
  unsetenv("LC_ALL");
  unsetenv("QUENDEL_ACP");
  quendel::cp::resetForTests();
}

TEST(Error500ButtonSets, DefaultAndCancelOverrides) {
  struct Row {
    int standard;
    LONG requested;
    int count;
    int chosen;
  } rows[] = {
      {0, -1, 2, 0},  // -1 keeps the standard
      {1, 2, 3, 2},   // style 2 with DefaultButtonIndex 2: Ignore
      {1, 5, 2, 1},   // style 1 with CancelButtonIndex 5: too large, Cancel stays
      {0, 1, 2, 1},  {0, 0, 1, 0}, {0, 1, 1, 0}, {2, 0, 3, 0},
  };
  for (const auto& r : rows) EXPECT_EQ(qt::chooseButtonIndex(r.standard, r.requested, r.count), r.chosen);
  ErrorInfo e = errorInfoOf([] { (void)qt::chooseButtonIndex(0, -2, 3); });
  EXPECT_EQ(e.number, 340);
  EXPECT_EQ(e.description, u"Control array element '-2' doesn't exist");
}

TEST(Error500Request, CaptionRulesAndValidation) {
  qt::Error500Request r = qt::makeError500Request(u"t", 2, Variant::missing(), 2, -1, 0);
  EXPECT_EQ(r.caption, asGetThunderMainTitle());
  EXPECT_EQ(r.caption, u"toolvane_errors_tests");
  EXPECT_EQ(r.defaultIndex, 2);
  EXPECT_EQ(r.cancelIndex, 0);
  EXPECT_EQ(r.timeoutValue, 1);  // a box without time-out does not exist
  EXPECT_EQ(qt::makeError500Request(u"t", 0, Variant(u""), -1, -1, 15).caption, u" ");
  EXPECT_EQ(qt::makeError500Request(u"t", 0, Variant(LONG{42}), -1, -1, -5).caption, u"42");
  EXPECT_EQ(qt::makeError500Request(u"t", 0, Variant(u"Backup"), -1, -1, 15).caption, u"Backup");
  EXPECT_THROW(qt::makeError500Request(u"t", 4, Variant(u"x"), -1, -7, 15), RuntimeError);
  // Styles 6 to 15 choose no buttons and so never look at the indices.
  qt::Error500Request undefined = qt::makeError500Request(u"t", 7, Variant(u"x"), -9, -9, 3);
  EXPECT_EQ(undefined.defaultIndex, -1);
  EXPECT_EQ(undefined.cancelIndex, -1);
}

TEST(Error500Countdown, CaptionsThenClose) {
  struct Row {
    LONG timeout;
    std::vector<std::pair<qt::Error500Countdown::Action, LONG>> steps;
  } rows[] = {
      {1, {{qt::Error500Countdown::Action::ShowCount, 1}, {qt::Error500Countdown::Action::ShowLastCount, 0}}},
      {0, {{qt::Error500Countdown::Action::ShowCount, 1}, {qt::Error500Countdown::Action::ShowLastCount, 0}}},
      {3,
       {{qt::Error500Countdown::Action::ShowCount, 3},
        {qt::Error500Countdown::Action::ShowCount, 2},
        {qt::Error500Countdown::Action::ShowCount, 1},
        {qt::Error500Countdown::Action::ShowLastCount, 0}}},
  };
  for (const auto& r : rows) {
    qt::Error500Countdown c(r.timeout);
    for (const auto& [action, remaining] : r.steps) {
      EXPECT_EQ(c.step(), action);
      EXPECT_EQ(c.remaining(), remaining);
    }
    EXPECT_EQ(c.step(), qt::Error500Countdown::Action::Close);
  }
}

TEST(Error500Layout, Arithmetic) {
  // Design-sized text with the icon: nothing moves.
  qt::Error500Layout l = qt::layoutError500({329, 40, 15, 15, true, 3});
  EXPECT_EQ(l.message.left, 1080);
  EXPECT_EQ(l.message.width, 4935);
  EXPECT_EQ(l.message.height, 600);
  EXPECT_EQ(l.buttons[0].top, 180 + 600 + 360);
  EXPECT_EQ(l.clientHeight, 1140 + 435 + 180);
  EXPECT_EQ(l.clientWidth, 6195);
  EXPECT_EQ(l.iconShift, 0);
  EXPECT_FALSE(l.widened);
  EXPECT_EQ(l.buttons[2].left, 4560);
  EXPECT_EQ(l.textLeftPx, 72);
  EXPECT_EQ(l.textRightPx, 72 + 329);
  EXPECT_EQ(l.textBottomPx, 12 + 40);
  EXPECT_EQ(l.iconLeftPx, 20);
  EXPECT_EQ(l.iconTopPx, 24);

  // No icon: the text, the buttons and the width move 810 twips left.
  qt::Error500Layout n = qt::layoutError500({200, 20, 15, 15, false, 1});
  EXPECT_EQ(n.iconShift, 810);
  EXPECT_EQ(n.message.left, 270);
  EXPECT_EQ(n.clientWidth, 6195 - 810);
  EXPECT_EQ(n.buttons[0].left, 4560 - 810);  // one button takes the rightmost place
  EXPECT_FALSE(n.visible[1]);
  EXPECT_FALSE(n.visible[2]);

  // Two buttons take the two right places.
  qt::Error500Layout two = qt::layoutError500({200, 20, 15, 15, true, 2});
  EXPECT_EQ(two.buttons[0].left, 3000);
  EXPECT_EQ(two.buttons[1].left, 4560);
  EXPECT_TRUE(two.visible[1]);
  EXPECT_FALSE(two.visible[2]);

  // The threshold: the dialog (client + 90 twips of frame) grows only past 6315 twips.
  EXPECT_FALSE(qt::layoutError500({331, 20, 15, 15, true, 3}).widened);      // delta 30
  qt::Error500Layout wide = qt::layoutError500({332, 20, 15, 15, true, 3});  // delta 45
  EXPECT_TRUE(wide.widened);
  EXPECT_EQ(wide.clientWidth, 6195 + 45);
  EXPECT_EQ(wide.buttons[2].left, 4560 + 45);

  // Without the icon column, a text 600 twips wider than the design still widens the
  // dialog so that it keeps its right margin.
  qt::Error500Layout noIcon = qt::layoutError500({369, 20, 15, 15, false, 1});
  EXPECT_TRUE(noIcon.widened);
  EXPECT_EQ(noIcon.clientWidth, 6195 - 810 + 600);
  EXPECT_EQ(noIcon.message.left + noIcon.message.width + 180, noIcon.clientWidth);

  // Twips per pixel other than 15 (120 DPI: 12).
  qt::Error500Layout dpi = qt::layoutError500({100, 10, 12, 12, true, 3});
  EXPECT_EQ(dpi.message.width, 1200);
  EXPECT_EQ(dpi.textLeftPx, 90);
  EXPECT_EQ(dpi.textRightPx, 190);
}

TEST(Error500Box, WithoutDisplayAnswersWithTheDefaultButton) {
  const char* old = std::getenv("DISPLAY");
  std::string saved = old ? old : "";
  unsetenv("DISPLAY");
  setenv("LC_ALL", "en_US.UTF-8", 1);
  struct Row {
    LONG style;
    LONG def;
    LONG result;
    const char* buttons;
  } rows[] = {
      {4, -1, 6, "Buttons: [Yes] No\n"},
      {2, 2, 5, "Buttons: Abort Retry [Ignore]\n"},
      {2, -1, 4, "Buttons: Abort [Retry] Ignore\n"},
      {1, 7, 1, "Buttons: [OK] Cancel\n"},
      {0x30, -1, 1, "Buttons: [OK]\n"},
      {9, 1, 0, "Buttons: Abort Retry Ignore\n"},
  };
  for (const auto& r : rows) {
    testing::internal::CaptureStderr();
    LONG result = qt::ShowTimedMessageBox(u"text", r.style, Variant(u"T"), r.def, -1, 15);
    std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, r.result) << r.style;
    EXPECT_NE(written.find(r.buttons), std::string::npos) << written;
  }
  unsetenv("LC_ALL");
  if (old) setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
