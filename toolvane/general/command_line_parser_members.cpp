// The member table of CommandLineParser, in slot order.
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"
#include "toolvane/general/command_line_parser.h"

namespace quendel::toolvane {

const ClassDesc& CommandLineParser::describe() {
  using C = CommandLineParser;
  static const ClassDesc d =
      ClassBuilder<C>(u"CommandLineParser")
          .ids(ids::CommandLineParser.clsid, ids::CommandLineParser.iid)
          .instancing(Instancing::NotCreatable)
          .get(u"Count", vbLong, [](C& p, CallArgs&) { return Variant(p.Count()); })
          .get(u"Item", vbString, [](C& p, CallArgs& a) { return Variant(p.Item(a.lng(0))); },
               {param(u"Index", vbLong)})
          .defaultMember()
          .sub(u"SetNewCommandLine",
               {param(u"NewCommandLine", vbString), optionalParam(u"AddDummyEXEModuleName", vbBoolean, Variant(true))},
               [](C& p, CallArgs& a) { p.SetNewCommandLine(a.str(0), a.boolean(1)); })
          .build();
  return d;
}

static const ClassRegistration registration(ids::CommandLineParser.clsid, &CommandLineParser::describe);

}  // namespace quendel::toolvane
