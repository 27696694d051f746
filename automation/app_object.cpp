#include "automation/app_object.h"

#include "support/quendelsupport.h"

namespace quendel::automation {

std::shared_ptr<AppObject> AppObject::create(AppInfo info) {
  if (info.exeName.empty() || info.path.empty()) {
    String exe;
    if (SUCCEEDED(asGetEXEModulePrettyFileName(&exe))) {
      auto slash = exe.rfind(u'/');
      String folder = slash == String::npos ? String() : exe.substr(0, slash);
      String file = slash == String::npos ? exe : exe.substr(slash + 1);
      if (auto dot = file.rfind(u'.'); dot != String::npos && dot > 0) file.resize(dot);
      if (info.exeName.empty()) info.exeName = file;
      if (info.path.empty()) info.path = folder;
    }
  }
  return std::make_shared<AppObject>(std::move(info));
}

const ClassDesc* AppObject::classDesc() const {
  using A = AppObject;
  static const ClassDesc d =
      ClassBuilder<A>(u"App")
          .get(u"Title", vbString, [](A& o, CallArgs&) { return Variant(o.info_.title); })
          .let(u"Title", vbString, [](A& o, CallArgs& a) { o.info_.title = a.str(0); })
          .get(u"Major", vbInteger, [](A& o, CallArgs&) { return Variant(Variant(o.info_.major).toInteger()); })
          .get(u"Minor", vbInteger, [](A& o, CallArgs&) { return Variant(Variant(o.info_.minor).toInteger()); })
          .get(u"Revision", vbInteger, [](A& o, CallArgs&) { return Variant(Variant(o.info_.revision).toInteger()); })
          .get(u"EXEName", vbString, [](A& o, CallArgs&) { return Variant(o.info_.exeName); })
          .get(u"Path", vbString, [](A& o, CallArgs&) { return Variant(o.info_.path); })
          .get(u"CompanyName", vbString, [](A& o, CallArgs&) { return Variant(o.info_.companyName); })
          .get(u"ProductName", vbString, [](A& o, CallArgs&) { return Variant(o.info_.productName); })
          .get(u"FileDescription", vbString, [](A& o, CallArgs&) { return Variant(o.info_.fileDescription); })
          .get(u"LegalCopyright", vbString, [](A& o, CallArgs&) { return Variant(o.info_.legalCopyright); })
          .get(u"Comments", vbString, [](A& o, CallArgs&) { return Variant(o.info_.comments); })
          .build();
  return &d;
}

}  // namespace quendel::automation
