#include "toolvane/settings/app_identity.h"

namespace quendel::toolvane {

AppIdentity readAppIdentity(const automation::ObjectPtr& appObject) {
  if (!appObject) throw RuntimeError(91);
  AppIdentity app;
  app.title = appObject->get(u"Title").toString();
  app.major = appObject->get(u"Major").toLong();
  app.minor = appObject->get(u"Minor").toLong();
  return app;
}

}  // namespace quendel::toolvane
