// The member tables of CToolHelpInfo and CPSAPIInfo (private classes: reachable by name,
// not listed in the type library).
#include "toolvane/about/psapi_info.h"
#include "toolvane/about/tool_help_info.h"

namespace quendel::toolvane {

const ClassDesc& CToolHelpInfo::describe() {
  static const ClassDesc d = describeList<CToolHelpInfo>(u"CToolHelpInfo");
  return d;
}

const ClassDesc& CPSAPIInfo::describe() {
  static const ClassDesc d = describeList<CPSAPIInfo>(u"CPSAPIInfo");
  return d;
}

}  // namespace quendel::toolvane
