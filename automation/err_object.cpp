#include "automation/err_object.h"

namespace quendel::automation {

std::shared_ptr<ErrObject> ErrObject::create(ErrorInfo info) { return std::make_shared<ErrObject>(std::move(info)); }

void ErrObject::Raise(LONG number, const Variant& source, const Variant& description, const Variant& helpFile,
                      const Variant& helpContext) {
  ErrorInfo e;
  e.number = number;
  e.source = source.isMissing() ? String() : source.toString();
  e.description = description.isMissing() ? String() : description.toString();
  e.helpFile = helpFile.isMissing() ? String() : helpFile.toString();
  e.helpContext = helpContext.isMissing() ? 0 : helpContext.toLong();
  RuntimeError err(e);
  info_ = err.info();
  throw err;
}

const ClassDesc* ErrObject::classDesc() const {
  static const ClassDesc d =
      ClassBuilder<ErrObject>(u"ErrObject")
          .get(u"Number", vbLong, [](ErrObject& o, CallArgs&) { return Variant(o.info_.number); })
          .defaultMember()
          .let(u"Number", vbLong, [](ErrObject& o, CallArgs& a) { o.info_.number = a.lng(0); })
          .get(u"Description", vbString, [](ErrObject& o, CallArgs&) { return Variant(o.info_.description); })
          .let(u"Description", vbString, [](ErrObject& o, CallArgs& a) { o.info_.description = a.str(0); })
          .get(u"Source", vbString, [](ErrObject& o, CallArgs&) { return Variant(o.info_.source); })
          .let(u"Source", vbString, [](ErrObject& o, CallArgs& a) { o.info_.source = a.str(0); })
          .get(u"HelpFile", vbString, [](ErrObject& o, CallArgs&) { return Variant(o.info_.helpFile); })
          .let(u"HelpFile", vbString, [](ErrObject& o, CallArgs& a) { o.info_.helpFile = a.str(0); })
          .get(u"HelpContext", vbLong, [](ErrObject& o, CallArgs&) { return Variant(o.info_.helpContext); })
          .let(u"HelpContext", vbLong, [](ErrObject& o, CallArgs& a) { o.info_.helpContext = a.lng(0); })
          .sub(u"Clear", {}, [](ErrObject& o, CallArgs&) { o.Clear(); })
          .sub(u"Raise",
               {param(u"Number", vbLong), optionalVariant(u"Source"), optionalVariant(u"Description"),
                optionalVariant(u"HelpFile"), optionalVariant(u"HelpContext")},
               [](ErrObject& o, CallArgs& a) { o.Raise(a.lng(0), a[1], a[2], a[3], a[4]); })
          .build();
  return &d;
}

}  // namespace quendel::automation
