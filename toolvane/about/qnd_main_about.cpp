// qndMain's About box members (qnd_main.h has the rules).
#include "platform/window/window.h"
#include "toolvane/about/about_box.h"
#include "toolvane/frame/class_registration.h"
#include "toolvane/frame/client_objects.h"
#include "toolvane/general/icon_picture.h"
#include "toolvane/general/qnd_main.h"

namespace quendel::toolvane {

namespace {

// The About data of an application object: its title and version, the errors of reading
// them raised to the caller.
ui::AboutBoxRequest requestFor(const ObjectPtr& appObject) {
  if (!appObject) throw RuntimeError(91);
  ui::AboutBoxRequest r = aboutBoxDefaults(appObject->get(u"Title").toString());
  r.verMajor = appObject->get(u"Major").toLong();
  r.verMinor = appObject->get(u"Minor").toLong();
  r.verRevision = appObject->get(u"Revision").toLong();
  return r;
}

}  // namespace

void qndMain::ShowMSAboutBox(const ObjectPtr& MSControlObject) {
  auto parent = [&] { return MSControlObject->get(u"Parent").toObject(); };
  if (!MSControlObject) return;
  ignoringErrors([&] { parent()->let(u"Enabled", Variant(false)); });
  ignoringErrors([&] { MSControlObject->call(u"AboutBox"); });
  ignoringErrors([&] { parent()->let(u"Enabled", Variant(true)); });
  ignoringErrors([&] { parent()->call(u"SetFocus"); });
}

void qndMain::ShowAboutBox(const ObjectPtr& Form, const ObjectPtr& AppObject, const String& Description,
                           const ObjectPtr& Picture, const String& PictureToolTipText) {
  ObjectPtr icon, smallIcon;
  ignoringErrors([&] {
    if (!Form) throw RuntimeError(91);
    HWND window = platform::hwndFromId(static_cast<std::uint32_t>(Form->get(u"hWnd").toLong()));
    ignoringErrors([&] { smallIcon = asGetWindowIconSmall(window); });
    ignoringErrors([&] { icon = asGetWindowIcon(window); });
  });
  ui::AboutBoxRequest r = requestFor(AppObject);
  r.icon = icon;
  r.smallIcon = smallIcon;
  r.description = Description;
  r.picture = Picture;
  r.pictureToolTipText = PictureToolTipText;
  RealShowAboutBox(r);
}

void qndMain::ShowAboutBox2(const ObjectPtr& Icon, const ObjectPtr& IconSmall, const ObjectPtr& AppObject,
                            const String& Description, const ObjectPtr& Picture, const String& PictureToolTipText) {
  ui::AboutBoxRequest r = requestFor(AppObject);
  r.icon = Icon;
  r.smallIcon = IconSmall ? IconSmall : Icon;
  r.description = Description;
  r.picture = Picture;
  r.pictureToolTipText = PictureToolTipText;
  RealShowAboutBox(r);
}

void qndMain::ShowAboutBoxEx(const String& Title, const ObjectPtr& Icon, const ObjectPtr& SmallIcon, LONG VerMajor,
                             LONG VerMinor, LONG VerRevision, const String& Author, const String& AuthorEMail,
                             const String& Devote, const String& Description, const ObjectPtr& Picture,
                             const String& PictureToolTipText) {
  ui::AboutBoxRequest r{Title,  Icon,        SmallIcon, VerMajor,    VerMinor, VerRevision,
                        Author, AuthorEMail, Devote,    Description, Picture,  PictureToolTipText};
  RealShowAboutBox(r);
}

// The members in slot order, after the text-box insert hooks.
automation::ClassBuilder<qndMain>& qndMain::describeAboutBox(automation::ClassBuilder<qndMain>& b) {
  using C = qndMain;

  const auto picture = [](std::u16string_view name) {
    return optionalParam(name, vbObject, Variant(ObjectPtr{}), kIn | kOut);
  };
  const auto text = [](std::u16string_view name, const char16_t* value) {
    return optionalParam(name, vbString, Variant(value));
  };
  return b
      .sub(u"ShowMSAboutBox", {param(u"MSControlObject", vbObject, kIn | kOut)},
           [](C& m, CallArgs& a) { m.ShowMSAboutBox(a.obj(0)); })
      .memberHelp(u"Выводит окно об элементе управления Microsoft в модальном режиме")
      .sub(u"ShowAboutBox",
           {param(u"Form", vbObject), param(u"AppObject", vbObject), text(u"Description", u""), picture(u"Picture"),
            text(u"PictureToolTipText", kDefaultPictureToolTipText)},
           [](C& m, CallArgs& a) { m.ShowAboutBox(a.obj(0), a.obj(1), a.str(2), a.obj(3), a.str(4)); })
      .sub(u"ShowAboutBox2",
           {param(u"Icon", vbObject, kIn | kOut), param(u"IconSmall", vbObject, kIn | kOut),
            param(u"AppObject", vbObject), text(u"Description", u""), picture(u"Picture"),
            text(u"PictureToolTipText", kDefaultPictureToolTipText)},
           [](C& m, CallArgs& a) { m.ShowAboutBox2(a.obj(0), a.obj(1), a.obj(2), a.str(3), a.obj(4), a.str(5)); })
      .sub(u"ShowAboutBoxEx",
           {param(u"Title", vbString), picture(u"Icon"), picture(u"SmallIcon"),
            optionalParam(u"VerMajor", vbLong, Variant(LONG{1})), optionalParam(u"VerMinor", vbLong, Variant(LONG{0})),
            optionalParam(u"VerRevision", vbLong, Variant(LONG{0})), text(u"Author", kDefaultAuthor),
            text(u"AuthorEMail", kDefaultAuthorEMail), text(u"Devote", kDefaultDevote), text(u"Description", u""),
            picture(u"Picture"), text(u"PictureToolTipText", kDefaultPictureToolTipText)},
           [](C& m, CallArgs& a) {
             m.ShowAboutBoxEx(a.str(0), a.obj(1), a.obj(2), a.lng(3), a.lng(4), a.lng(5), a.str(6), a.str(7), a.str(8),
                              a.str(9), a.obj(10), a.str(11));
           });
}

}  // namespace quendel::toolvane
