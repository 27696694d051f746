// The member table of qndClipboard, in slot order, with the type library's help strings.
#include "toolvane/clipboard/qnd_clipboard.h"
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"

namespace quendel::toolvane {

namespace {

Variant collectionOrNothing(std::shared_ptr<Collection> c) {
  return c ? Variant(ObjectPtr(std::move(c))) : Variant::nothing();
}

ParamDesc optionalByRef(std::u16string_view name, VarType type) {
  return ParamDesc{String(name), type, kIn | kOut | kOptional, {}};
}

}  // namespace

const ClassDesc& qndClipboard::describe() {
  using C = qndClipboard;
  static const ClassDesc d =
      ClassBuilder<C>(u"qndClipboard")
          .ids(ids::qndClipboard.clsid, ids::qndClipboard.iid)
          .instancing(Instancing::Global)
          .creator([] { return std::make_shared<qndClipboard>(); })
          .function(u"Clear", vbBoolean, {}, [](C& c, CallArgs&) { return Variant(c.Clear()); })
          .memberHelp(u"Отчищает буфер обмена.")
          .get(u"CF_HTML", vbLong, [](C& c, CallArgs&) { return Variant(c.CF_HTML()); })
          .memberHelp(u"Код формата HTML.")
          .function(u"SetHTML", vbBoolean,
                    {param(u"HTMLFragment", vbString),
                     optionalParam(u"ContextHTMLStart", vbString, Variant(u"<HTML><BODY>"), kIn | kOut),
                     optionalParam(u"ContextHTMLEnd", vbString, Variant(u"</BODY></HTML>"), kIn | kOut)},
                    [](C& c, CallArgs& a) { return Variant(c.SetHTML(a.str(0), a.str(1), a.str(2))); })
          .memberHelp(u"\"Копирует\" в буфер обмена HTML текст.")
          .function(u"GetHTML", vbString, {optionalParam(u"ReturnValue", vbLong, Variant(LONG{ghrvFragment}))},
                    [](C& c, CallArgs& a) { return Variant(c.GetHTML(a.lng(0))); })
          .memberHelp(u"Получает из буфера обмена HTML текст.")
          .function(u"SetText", vbBoolean, {param(u"Text", vbString)},
                    [](C& c, CallArgs& a) { return Variant(c.SetText(a.str(0))); })
          .memberHelp(u"\"Копирует\" в буфер обмена текст. Добавляется также UNICODE формат.")
          .function(u"GetText", vbString, {optionalParam(u"ReturnANSIText", vbBoolean, Variant(false))},
                    [](C& c, CallArgs& a) { return Variant(c.GetText(a.boolean(0))); })
          .memberHelp(u"Получает текст из буфера обмена. По возможности используется UNICODE версия.")
          .function(u"IsFormatAvailable", vbBoolean, {param(u"ClipboardFormat", vbLong)},
                    [](C& c, CallArgs& a) { return Variant(c.IsFormatAvailable(a.lng(0))); })
          .memberHelp(u"Возвращает True, если заданный формат присутствует в буфере обмена.")
          .function(u"SetRAWData", vbBoolean,
                    {param(u"FormatID", vbLong), param(u"Data", VarType(vbArray | vbByte), kIn | kOut)},
                    [](C& c, CallArgs& a) { return Variant(c.SetRAWData(a.lng(0), a[1])); })
          .memberHelp(
              u"\"Копирует\" в буфер обмена любые данные в заданном формате. Данные не проверяются и "
              u"передаются как есть.")
          .function(u"GetRAWData", vbBoolean,
                    {param(u"FormatID", vbLong), param(u"Data", VarType(vbArray | vbByte), kIn | kOut),
                     optionalByRef(u"lpDataSize", vbLong)},
                    [](C& c, CallArgs& a) {
                      Variant data;
                      LONG size = 0;
                      bool ok = c.GetRAWData(a.lng(0), data, &size);
                      if (ok) {
                        a.ref(1) = std::move(data);
                        if (!a.isMissing(2)) a.ref(2) = Variant(size);
                      }
                      return Variant(ok);
                    })
          .memberHelp(
              u"Получает из буфера обмена данные в любом заданном формате. Данные не проверяются и "
              u"возвращаются как есть.")
          .function(u"GetFormatName", vbString, {param(u"FormatID", vbLong)},
                    [](C& c, CallArgs& a) { return Variant(c.GetFormatName(a.lng(0))); })
          .memberHelp(
              u"Возвращает имя формата или пустую строку, если формат не зарегистрирован или является "
              u"встроенным (вроде CF_TEXT).")
          .function(u"GetFormatsCount", vbLong, {}, [](C& c, CallArgs&) { return Variant(c.GetFormatsCount()); })
          .memberHelp(u"Возвращает количество форматов, находящихся в буфере обмена.")
          .function(u"GetFormats", vbObject, {}, [](C& c, CallArgs&) { return collectionOrNothing(c.GetFormats()); })
          .memberHelp(u"Возвращает список кодов форматов, находящихся в буфере обмена.")
          .function(u"SetShellFiles", vbBoolean,
                    {param(u"FileNames", vbObject, kIn | kOut), optionalParam(u"Unicode", vbBoolean, Variant(true))},
                    [](C& c, CallArgs& a) { return Variant(c.SetShellFiles(a.obj(0), a.boolean(1))); })
          .memberHelp(u"\"Копирует\" файлы в буфер обмена. Имена файлов не проверяются.")
          .function(u"GetShellFiles", vbObject, {},
                    [](C& c, CallArgs&) { return collectionOrNothing(c.GetShellFiles()); })
          .memberHelp(u"Получает из буфера обмена список скопированных файлов.")
          .build();
  return d;
}

static const ClassRegistration registration(ids::qndClipboard.clsid, &qndClipboard::describe);

}  // namespace quendel::toolvane
