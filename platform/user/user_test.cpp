#include "platform/user/user.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "platform/user/display.h"
#include "support/codepage.h"

namespace {

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
    quendel::cp::resetForTests();
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
    quendel::cp::resetForTests();
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(GetUserDefaultLangID, FromTheLocaleName) {
  struct {
    const char* locale;
    LANGID id;
  } rows[] = {
      {"ru_RU.UTF-8", 0x0419}, {"ru", 0x0419},          {"RU_ru", 0x0419},       {"ru_UA.KOI8-U@x", 0x0419},
      {"en_US.UTF-8", 0x0409}, {"en_GB.UTF-8", 0x0809}, {"uk_UA.UTF-8", 0x0422}, {"be_BY", 0x0423},
      {"de_DE@euro", 0x0407},  {"C", 0x0409},           {"POSIX", 0x0409},       {"", 0x0409},
      {"xx_YY", 0x0409},       {"C.UTF-8", 0x0409},
  };
  for (auto& r : rows) EXPECT_EQ(quendel::platform::langIdFromLocaleName(r.locale), r.id) << r.locale;
  EXPECT_EQ(quendel::platform::langIdFromLocaleName(nullptr), 0x0409);
}

TEST(GetUserDefaultLangID, LcAllThenLcMessagesThenLang) {
  ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", "ru_RU.UTF-8");
  EXPECT_EQ(GetUserDefaultLangID(), 0x0419);
  {
    ScopedEnv m("LC_MESSAGES", "uk_UA.UTF-8");
    EXPECT_EQ(GetUserDefaultLangID(), 0x0422);
    ScopedEnv a("LC_ALL", "en_US.UTF-8");
    EXPECT_EQ(GetUserDefaultLangID(), 0x0409);
  }
  ScopedEnv emptyAll("LC_ALL", "");  // an empty variable counts as unset
  EXPECT_EQ(GetUserDefaultLangID(), 0x0419);
}

TEST(GetModuleHandleA, FindsLoadedModulesOnly) {
  HMODULE platform = GetModuleHandleA("quendelplatform");
  ASSERT_NE(platform, nullptr);
  for (const char* name : {"libquendelplatform.so", "QuendelPlatform.DLL", "/x/libquendelplatform.so"})
    EXPECT_EQ(GetModuleHandleA(name), platform) << name;
  EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
  EXPECT_NE(GetModuleHandleA(nullptr), platform);
  EXPECT_EQ(GetModuleHandleA("surely-not-loaded-module"), nullptr);
  EXPECT_EQ(GetModuleHandleA(""), nullptr);
  EXPECT_EQ(GetModuleHandleA(".dll"), nullptr);
  HMODULE user32 = GetModuleHandleA("User32");
  ASSERT_NE(user32, nullptr);
  EXPECT_EQ(GetModuleHandleA("USER32.dll"), user32);
}

TEST(LoadStringA, User32ButtonTextsByLanguage) {
  ScopedEnv acp("QUENDEL_ACP", "65001"), all("LC_ALL", "en_US.UTF-8");
  HMODULE user32 = GetModuleHandleA("User32");
  char buffer[1024];
  struct {
    UINT id;
    const char* english;
    const char* russian;
  } rows[] = {{800, "OK", "ОК"},
              {801, "Cancel", "Отмена"},
              {802, "&Abort", "&Прервать"},
              {803, "&Retry", "&Повторить"},
              {804, "&Ignore", "&Пропустить"},
              {805, "&Yes", "&Да"},
              {806, "&No", "&Нет"}};
  for (auto& r : rows) {
    EXPECT_EQ(LoadStringA(user32, r.id, buffer, 1024), static_cast<int>(std::strlen(r.english)));
    EXPECT_STREQ(buffer, r.english);
  }
  {
    ScopedEnv ru("LC_ALL", "ru_RU.UTF-8");
    for (auto& r : rows) {
      EXPECT_EQ(LoadStringA(user32, r.id, buffer, 1024), static_cast<int>(std::strlen(r.russian)));
      EXPECT_STREQ(buffer, r.russian);
    }
    // Cut short at a character boundary: "&П" is 3 bytes; 4 bytes of room keep "&П".
    EXPECT_EQ(LoadStringA(user32, 802, buffer, 5), 3);
    EXPECT_STREQ(buffer, "&П");
  }
  EXPECT_EQ(LoadStringA(user32, 811, buffer, 1024), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(LoadStringA(GetModuleHandleA("quendelplatform"), 800, buffer, 1024), 0);
  EXPECT_EQ(LoadStringA(user32, 800, buffer, 0), 0);
  EXPECT_EQ(LoadStringA(user32, 800, buffer, 1), 0);
  EXPECT_EQ(LoadStringA(user32, 800, nullptr, 10), 0);
  {
    ScopedEnv cp1251("QUENDEL_ACP", "1251"), ru("LC_ALL", "ru_RU.UTF-8");
    EXPECT_EQ(LoadStringA(user32, 805, buffer, 1024), 3);
    EXPECT_STREQ(buffer, "&\xC4\xE0");  // "&Да" in code page 1251
  }
}

TEST(Display, NoDisplayNoBell) {
  ScopedEnv display("DISPLAY", nullptr);
  EXPECT_FALSE(quendel::platform::displayCanBeOpened());
  EXPECT_EQ(MessageBeep(MB_ICONHAND), 0);
  ScopedEnv bad("DISPLAY", ":9999");
  EXPECT_FALSE(quendel::platform::displayCanBeOpened());
  EXPECT_EQ(MessageBeep(MB_SIMPLE_BEEP), 0);
}

}  // namespace
