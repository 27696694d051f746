#include "toolvane/errors/error_text.h"

#include "support/quendelsupport.h"

namespace quendel::toolvane {

namespace {

String replaceAll(String s, std::u16string_view from, std::u16string_view to) {
  size_t pos = 0;
  while ((pos = s.find(from, pos)) != String::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
  return s;
}

}  // namespace

String BuildErrorText(const ErrorInfo& e) {
  const String crlf = u"\r\n";
  String text;
  if (e.number != 0) text += u"Error number: " + asGetErrorNumber(e.number) + crlf;
  if (!e.description.empty()) text += u"Description:  " + replaceAll(e.description, crlf, u" ") + crlf + crlf;
  if (!e.source.empty()) text += u"Source:       " + e.source + crlf;
  if (!e.helpFile.empty()) text += u"Help file:    " + e.helpFile + crlf;
  if (e.helpContext != 0) text += u"Help context: " + asGetErrorNumber(e.helpContext) + crlf;
  text = asTrimCRLF(text);
  if (text.empty()) text = u"Unknown run-time error.";
  return text;
}

ErrorInfo readErrorInfo(const automation::Variant& errObject) {
  automation::ObjectPtr o = automation::requireObject(errObject);
  ErrorInfo e;
  e.number = o->get(u"Number").toLong();
  e.description = o->get(u"Description").toString();
  e.source = o->get(u"Source").toString();
  e.helpFile = o->get(u"HelpFile").toString();
  e.helpContext = o->get(u"HelpContext").toLong();
  return e;
}

}  // namespace quendel::toolvane
