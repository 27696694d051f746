// The identity a client's application object gives the settings store: its Title, Major
// and Minor properties, read by name (as String, Long, Long).
//
// Failures: Nothing raises 91 (Object variable not set); a missing property or a value
// that does not convert raises the late-bound call's error (438, 13, 6).
#pragma once

#include "automation/object.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

struct AppIdentity {
  automation::String title;
  LONG major = 0;
  LONG minor = 0;
};

AppIdentity readAppIdentity(const automation::ObjectPtr& appObject);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
