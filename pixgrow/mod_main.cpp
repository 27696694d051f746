#include "pixgrow/mod_main.h"

#include <limits>

#include "automation/activation.h"
#include "automation/app_object.h"
#include "automation/err_object.h"
#include "pixgrow/enlarged_rows.h"
#include "pixgrow/mod_gdiplus_load_and_save.h"
#include "support/quendelsupportfbe.h"

namespace quendel::pixgrow {

using automation::ObjectPtr;
using automation::String;
using automation::Variant;

namespace {

constexpr const char* kQndMainClsid = "{11A03114-F930-4396-BAEE-F68402BA5BE7}";
constexpr const char* kQndErrClsid = "{E9D884CC-57A6-476F-A102-0EFF90170A43}";
constexpr char16_t kCrLf[] = u"\r\n";

String decimal(LONG n) {
  const std::string s = std::to_string(n);
  return String(s.begin(), s.end());
}

String errorText(const RuntimeError& e) {
  return qndErr()->call(u"GetErrorMessage", {Variant(automation::ErrObject::create(e.info()))}).toString();
}

}  // namespace

ObjectPtr qndMain() {
  static ObjectPtr object = automation::coCreateInstance(guidFromLiteral(kQndMainClsid));
  return object;
}

ObjectPtr qndErr() {
  static ObjectPtr object = automation::coCreateInstance(guidFromLiteral(kQndErrClsid));
  return object;
}

ObjectPtr App() {
  static ObjectPtr app = [] {
    automation::AppInfo info;
    info.title = u"Quendel - Pixgrow";
    info.major = 1;
    info.minor = 1;
    info.revision = 23;
    return automation::AppObject::create(std::move(info));
  }();
  return app;
}

int Main() {
  (void)esRegisterAppPath();
  // The common controls and the icon of the hidden main window belong to programs that
  // have windows; this console program has none, and loads no window toolkit.
  ConsoleWriter console;
  return RunEnlarge(console);
}

int RunEnlarge(ConsoleWriter& console) {
  console.Attach(App(), true);
  // esIsInIDE is always false here: the program never runs inside a development
  // environment, so its command line is the process's own.
  ObjectPtr parser = qndMain()->get(u"CommandLine").toObject();
  if (parser->get(u"Count").toLong() != 3) {
    ShowUsage(console);
    return kExitUsage;
  }
  LONG method = 0;
  bool png = false;
  if (!ParseMethod(parser->get(u"Item", {Variant(LONG{0})}).toString(), method, png)) {
    ShowUsage(console);
    return kExitUsage;
  }
  const String inName = parser->get(u"Item", {Variant(LONG{1})}).toString();
  const String outName = parser->get(u"Item", {Variant(LONG{2})}).toString();
  if (inName.empty() || outName.empty()) {
    ShowUsage(console);
    return kExitUsage;
  }
  if (!esIsFileExist(inName)) {
    console.Write(u"File not exist: " + inName, 0);
    return kExitFailed;
  }
  console.Write(String(u"Method:   ") + decimal(method) + u" " + (png ? u"(PNG)" : u"(BMP)") + kCrLf + u"In file:  " +
                    inName + kCrLf + u"Out file: " + outName + kCrLf,
                0);
  PictureInfo info;
  ObjectPtr picture;
  try {
    picture = LoadPictureFile(inName, info, 0, false);
  } catch (const RuntimeError& e) {
    console.Write(inName + kCrLf + kCrLf + u"Can't load picture." + kCrLf + kCrLf + errorText(e), 0);
    return kExitFailed;
  }
  try {
    MemoryCanvas source, target;
    EnlargePicture(picture, info.Width, info.Height, method, source, target);
    if (png) {
      SavePictureAsPng(target.Picture(), outName);
    } else {
      SavePictureAsBmp(target.Picture(), outName);
    }
    console.Write(u"All done! ^_^v", 0);
  } catch (const RuntimeError& e) {
    console.Write(errorText(e), 0);
    return kExitFailed;
  }
  return kExitDone;
}

bool ParseMethod(const String& Text, LONG& Method, bool& Png) {
  String upper = Text;
  for (auto& c : upper)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  static const struct {
    const char16_t* key;
    LONG method;
    bool png;
  } kKeys[] = {{u"1", 1, false}, {u"2", 2, false}, {u"3", 3, false}, {u"4", 4, false},
               {u"1P", 1, true}, {u"2P", 2, true}, {u"3P", 3, true}, {u"4P", 4, true}};
  for (const auto& k : kKeys)
    if (upper == k.key) {
      Method = k.method;
      Png = k.png;
      return true;
    }
  return false;
}

String UsageText(const String& exeName) {
  return String(u"Usage:\r\n\r\n") + u"    " + exeName + u"[.EXE] Method InFileName OutFileName\r\n\r\n" +
         u"InFileName  - input file name of picture in supported format.\r\n" +
         u"OutFileName - output file name to be created in BMP format.\r\n\r\n" + u"Method: \r\n\r\n" +
         u"    1 - one pixel to four.\r\n" + u"    2 - two pixels to four (scanline).\r\n" +
         u"    3 - three pixels to four.\r\n" + u"    4 - four pixels to four.\r\n\r\n" +
         u"Specify method with \"P\" (eg. \"3P\") to create output file in PNG format.";
}

void ShowUsage(ConsoleWriter& console) { console.Write(UsageText(App()->get(u"EXEName").toString()), 0); }

void EnlargePicture(const ObjectPtr& Picture, LONG W, LONG H, LONG Method, MemoryCanvas& source, MemoryCanvas& target) {
  constexpr LONG kMax = std::numeric_limits<LONG>::max();
  if (W > kMax / 2 || H > kMax / 2) throw RuntimeError(6);
  source.Create(W, H, 0);
  source.DrawPicture(Picture, 0, 0, W, H, 0, 0, SRCCOPY);
  target.Create(2 * W, 2 * H, 0);
  // The per-pixel copy of GetPixel into SetPixel, as rows computed from the source
  // when the encoder reads them (enlarged_rows.h).
  target.ShowRows(std::make_shared<EnlargedRows>(gdi::bitmapRowSource(source.bitmap()), static_cast<int>(Method)));
}

}  // namespace quendel::pixgrow
