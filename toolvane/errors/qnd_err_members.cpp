// The member table of qndErr, in slot order.
#include "toolvane/errors/qnd_err.h"
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"

namespace quendel::toolvane {

namespace {

// The optional tail of every display member: Style, Title, DescriptionText, Silent.
std::vector<ParamDesc> displayParams(std::vector<ParamDesc> head) {
  head.push_back(optionalParam(u"Style", vbLong, Variant(LONG{ui::kDefaultBoxStyle})));
  head.push_back(optionalParam(u"Title", vbString, Variant(u"")));
  head.push_back(optionalParam(u"DescriptionText", vbString, Variant(u""), kIn | kOut));
  head.push_back(optionalParam(u"Silent", vbBoolean, Variant(false), kIn | kOut));
  return head;
}

}  // namespace

const ClassDesc& qndErr::describe() {
  using C = qndErr;
  static const ClassDesc d =
      ClassBuilder<C>(u"qndErr")
          .ids(ids::qndErr.clsid, ids::qndErr.iid)
          .instancing(Instancing::Global)
          .creator([] { return std::make_shared<qndErr>(); })
          .function(u"ErrorDisplay", vbLong, displayParams({param(u"ErrObject", vbObject, kIn | kOut)}),
                    [](C& e, CallArgs& a) {
                      return Variant(e.ErrorDisplay(a[0], a.lng(1), a.str(2), a.str(3), a.boolean(4)));
                    })
          .function(u"GetErrorMessage", vbString, {param(u"ErrObject", vbObject, kIn | kOut)},
                    [](C& e, CallArgs& a) { return Variant(e.GetErrorMessage(a[0])); })
          .function(u"ErrorDisplayAPI", vbLong, displayParams({param(u"ErrorNumber", vbLong)}),
                    [](C& e, CallArgs& a) {
                      return Variant(e.ErrorDisplayAPI(a.lng(0), a.lng(1), a.str(2), a.str(3), a.boolean(4)));
                    })
          .function(u"GetErrorMessageAPI", vbString, {param(u"ErrorNumber", vbLong)},
                    [](C& e, CallArgs& a) { return Variant(e.GetErrorMessageAPI(a.lng(0))); })
          .function(u"ErrorDisplayWinMM", vbLong, displayParams({param(u"ErrorNumber", vbLong)}),
                    [](C& e, CallArgs& a) {
                      return Variant(e.ErrorDisplayWinMM(a.lng(0), a.lng(1), a.str(2), a.str(3), a.boolean(4)));
                    })
          .function(u"GetErrorMessageWinMM", vbString, {param(u"ErrorNumber", vbLong)},
                    [](C& e, CallArgs& a) { return Variant(e.GetErrorMessageWinMM(a.lng(0))); })
          .function(
              u"ErrorDisplayModule", vbLong,
              displayParams({param(u"ErrorNumber", vbLong), param(u"ModuleName", vbString)}),
              [](C& e, CallArgs& a) {
                return Variant(e.ErrorDisplayModule(a.lng(0), a.str(1), a.lng(2), a.str(3), a.str(4), a.boolean(5)));
              })
          .function(u"GetErrorMessageModule", vbString, {param(u"ErrorNumber", vbLong), param(u"ModuleName", vbString)},
                    [](C& e, CallArgs& a) { return Variant(e.GetErrorMessageModule(a.lng(0), a.str(1))); })
          .function(u"ErrorDisplayHTTPRequest", vbLong, displayParams({param(u"HTTPRequestObject", vbObject)}),
                    [](C& e, CallArgs& a) {
                      return Variant(e.ErrorDisplayHTTPRequest(a[0], a.lng(1), a.str(2), a.str(3), a.boolean(4)));
                    })
          .function(u"GetErrorMessageHTTPRequest", vbString, {param(u"HTTPRequestObject", vbObject)},
                    [](C& e, CallArgs& a) { return Variant(e.GetErrorMessageHTTPRequest(a[0])); })
          .function(u"ErrorDisplayFTPClient", vbLong, displayParams({param(u"FTPClientObject", vbObject)}),
                    [](C& e, CallArgs& a) {
                      return Variant(e.ErrorDisplayFTPClient(a[0], a.lng(1), a.str(2), a.str(3), a.boolean(4)));
                    })
          .function(u"GetErrorMessageFTPClient", vbString, {param(u"FTPClientObject", vbObject)},
                    [](C& e, CallArgs& a) { return Variant(e.GetErrorMessageFTPClient(a[0])); })
          .function(u"ShowErrorBox", vbLong,
                    {param(u"Text", vbString), optionalParam(u"Style", vbLong, Variant(LONG{ui::kDefaultBoxStyle})),
                     optionalVariant(u"Title"), optionalParam(u"DefaultButtonIndex", vbLong, Variant(LONG{-1})),
                     optionalParam(u"CancelButtonIndex", vbLong, Variant(LONG{-1})),
                     optionalParam(u"TimeoutValue", vbLong, Variant(LONG{ui::kDefaultTimeoutSeconds}))},
                    [](C& e, CallArgs& a) {
                      return Variant(e.ShowErrorBox(a.str(0), a.lng(1), a[2], a.lng(3), a.lng(4), a.lng(5)));
                    })
          .build();
  return d;
}

static const ClassRegistration registration(ids::qndErr.clsid, &qndErr::describe);

}  // namespace quendel::toolvane
