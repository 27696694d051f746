// The member table of qndBenchMark, in slot order.
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"
#include "toolvane/general/qnd_bench_mark.h"

namespace quendel::toolvane {

const ClassDesc& qndBenchMark::describe() {
  using C = qndBenchMark;
  static const ClassDesc d =
      ClassBuilder<C>(u"qndBenchMark")
          .ids(ids::qndBenchMark.clsid, ids::qndBenchMark.iid)
          .instancing(Instancing::Creatable)
          .creator([] { return std::make_shared<qndBenchMark>(); })
          .sub(u"FirstMark", {optionalParam(u"DoBeep", vbBoolean, Variant(true))},
               [](C& b, CallArgs& a) { b.FirstMark(a.boolean(0)); })
          .sub(u"LastMark", {}, [](C& b, CallArgs&) { b.LastMark(); })
          .function(u"GetTickDifferenceMS", vbDouble, {},
                    [](C& b, CallArgs&) { return Variant(b.GetTickDifferenceMS()); })
          .function(u"GetTickDifferenceSec", vbDouble, {},
                    [](C& b, CallArgs&) { return Variant(b.GetTickDifferenceSec()); })
          .function(u"toString", vbString,
                    {optionalParam(u"Iterations", vbLong, Variant(LONG{0})),
                     optionalParam(u"IntegerValues", vbBoolean, Variant(false)),
                     optionalParam(u"UseSeconds", vbBoolean, Variant(true))},
                    [](C& b, CallArgs& a) { return Variant(b.toString(a.lng(0), a.boolean(1), a.boolean(2))); })
          .build();
  return d;
}

static const ClassRegistration registration(ids::qndBenchMark.clsid, &qndBenchMark::describe);

}  // namespace quendel::toolvane
