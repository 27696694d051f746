// runAboutBox: RealShowAboutBox's steps on frmAbout (toolvane/about/about_box.h).
#include "platform/user/user.h"
#include "support/quendelsupport.h"
#include "toolvane/about/about_box.h"
#include "toolvane/frame/client_objects.h"
#include "toolvane/general/resource_icon.h"
#include "toolvane/ui/about_form.h"
#include "toolvane/ui/application.h"

namespace quendel::toolvane::ui {

namespace {

constexpr LONG kWrongArguments = 450;

QString q(const String& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }

HMODULE library() { return GetModuleHandleA("toolvane0305"); }

// Steps 1 to 10, each with its errors ignored: an item that fails keeps its designed state.
void fill(AboutForm& form, const AboutBoxRequest& r) {
  form.setWindowTitle(q(kAboutCaption));
  ignoringErrors([&] {
    form.lblTitle()->setText(q(r.title));
    form.lblAuthor(1)->setText(q(r.author));
  });
  ignoringErrors([&] { form.setEMail(r.authorEMail); });
  ignoringErrors([&] { form.setFormIcon(r.smallIcon ? r.smallIcon : asLoadResIconSmallEx(u"A_MAIN", library())); });
  // The icon is also the drag image of the control.
  ignoringErrors([&] { form.setIcon(r.icon ? r.icon : asLoadResIconEx(u"NOEMI_0000", library())); });
  ignoringErrors([&] {
    form.lblDevote()->setText(q(r.devote));
    form.imgNoemi()->setToolTip(q(r.pictureToolTipText));
  });
  ignoringErrors([&] { form.setPicture(r.picture, r.picture != nullptr); });
  ignoringErrors([&] { form.lblVersion(1)->setText(q(asFormatVersion(r.verMajor, r.verMinor, r.verRevision))); });
  form.setAppVersion(r.verMajor, r.verMinor, r.verRevision);
}

}  // namespace

void runAboutBox(const AboutBoxRequest& request) {
  application();
  AboutForm form;
  fill(form, request);
  // Steps 11 and 12: their errors reach the caller, and the window is never shown.
  form.txtDescription()->setPlainText(q(request.description));
  form.InitTabs();
  // Steps 13 to 15.
  try {
    form.exec();
  } catch (const RuntimeError& e) {
    if (e.number() != kWrongArguments) return;
    (void)asOutputDebugString(u"RealShowAboutBox() ==> " + asFormatLong(e.number()) + u": " + e.description());
    ignoringErrors([&] { form.exec(); });
  }
}

}  // namespace quendel::toolvane::ui
