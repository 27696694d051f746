// The application object of a client program, read by member name: Title, Major, Minor,
// Revision, EXEName (the executable's file name without extension), Path (its folder),
// and the version texts CompanyName, ProductName, FileDescription, LegalCopyright,
// Comments. Title may be changed; the rest are read-only, as clients expect.
//
//   auto app = AppObject::create({.title = u"Quendel - Pixgrow", .major = 1, .minor = 1,
//                                 .revision = 23});
#pragma once

#include "automation/dispatch.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::automation {

struct AppInfo {
  String title;
  LONG major = 0;
  LONG minor = 0;
  LONG revision = 0;
  String companyName, productName, fileDescription, legalCopyright, comments;
  String exeName;  // taken from the running executable when empty
  String path;     // likewise
};

class AppObject : public Object {
 public:
  static std::shared_ptr<AppObject> create(AppInfo info);
  explicit AppObject(AppInfo info) : info_(std::move(info)) {}
  const AppInfo& info() const { return info_; }

  String className() const override { return u"App"; }
  const ClassDesc* classDesc() const override;

 private:
  AppInfo info_;
};

}  // namespace quendel::automation

QUENDEL_EXPORT_END
