// The member table of qndBenchMarkHP, in slot order.
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"
#include "toolvane/general/qnd_bench_mark_hp.h"

namespace quendel::toolvane {

const ClassDesc& qndBenchMarkHP::describe() {
  using C = qndBenchMarkHP;
  static const ClassDesc d =
      ClassBuilder<C>(u"qndBenchMarkHP")
          .ids(ids::qndBenchMarkHP.clsid, ids::qndBenchMarkHP.iid)
          .instancing(Instancing::Creatable)
          .creator([] { return std::make_shared<qndBenchMarkHP>(); })
          .sub(u"FirstMark", {optionalParam(u"DoBeep", vbBoolean, Variant(true))},
               [](C& b, CallArgs& a) { b.FirstMark(a.boolean(0)); })
          .sub(u"LastMark", {}, [](C& b, CallArgs&) { b.LastMark(); })
          .function(u"GetTickDifference", vbDouble, {}, [](C& b, CallArgs&) { return Variant(b.GetTickDifference()); })
          .function(u"GetTickDifferenceMS", vbDouble, {},
                    [](C& b, CallArgs&) { return Variant(b.GetTickDifferenceMS()); })
          .function(u"GetTickDifferenceSec", vbDouble, {},
                    [](C& b, CallArgs&) { return Variant(b.GetTickDifferenceSec()); })
          .function(u"GetTickFrequencyPerSec", vbDouble, {},
                    [](C& b, CallArgs&) { return Variant(b.GetTickFrequencyPerSec()); })
          .function(u"GetTickFrequencyPerMS", vbDouble, {},
                    [](C& b, CallArgs&) { return Variant(b.GetTickFrequencyPerMS()); })
          .function(u"toString", vbString,
                    {optionalParam(u"Iterations", vbLong, Variant(LONG{0})),
                     optionalParam(u"IntegerValues", vbBoolean, Variant(false)),
                     optionalParam(u"UseSeconds", vbBoolean, Variant(true))},
                    [](C& b, CallArgs& a) { return Variant(b.toString(a.lng(0), a.boolean(1), a.boolean(2))); })
          .build();
  return d;
}

static const ClassRegistration registration(ids::qndBenchMarkHP.clsid, &qndBenchMarkHP::describe);

}  // namespace quendel::toolvane
