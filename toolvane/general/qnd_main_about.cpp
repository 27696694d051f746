// qndMain's About box members (qnd_main.h has the rules).
#include "platform/window/window.h"
#include "toolvane/about/about_box.h"
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

}  // namespace quendel::toolvane
