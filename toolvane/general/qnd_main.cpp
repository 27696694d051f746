#include "toolvane/general/qnd_main.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <string>

#include "automation/safe_array.h"
#include "automation/std_font.h"
#include "platform/cursor/cursor.h"
#include "toolvane/controls/text_box_insert_hook.h"
#include "toolvane/frame/client_objects.h"
#include "toolvane/general/icon_picture.h"
#include "toolvane/general/text_split.h"

namespace quendel::toolvane {

namespace {

// How far past its own width ShowModalForm moves the parent to the left, in twips.
constexpr double kOffScreenMargin = 1000.0;
// The Show style of a modal form.
constexpr LONG kShowModal = 1;

// The font FixFonts gives every control.
constexpr const char16_t* kFixedFontName = u"Times New Roman";
constexpr double kFixedFontPoints = 10.5;

// FixCBCursors: the User32 arrow cursor, put on the drop-down lists (ComboBox Style 2)
// as their custom mouse pointer (MousePointer 99).
constexpr const char* kArrowCursorResource = "#114";
constexpr LONG kComboDropDownList = 2;
constexpr std::int16_t kMousePointerCustom = 99;

// The array members build 0 To count − 1 arrays, converting element by element.
Variant buildArray(VarType elementType, const std::vector<Variant>& args) {
  auto array = SafeArray::create(elementType, 0, args.size());
  for (std::size_t i = 0; i < args.size(); ++i) ignoringErrors([&] { array->set(static_cast<LONG>(i), args[i]); });
  return Variant(array);
}

String decimalText(LONG n) {
  std::string digits = std::to_string(n);
  return String(digits.begin(), digits.end());
}

LONG optionalIndex(const Variant& v, LONG fallback) { return v.isMissing() ? fallback : v.toLong(); }

// Each walk checks its whole range first, so a bad StartAt or EndAt raises whether or not
// a match would have come before the bad end.
void checkRange(std::int64_t first, std::int64_t last, std::int64_t low, std::int64_t high) {
  if (first <= last && (first < low || last > high)) throw RuntimeError(9);
}

void runStep(bool raiseErrors, const std::function<void()>& step) {
  if (raiseErrors)
    step();
  else
    ignoringErrors(step);
}

ObjectPtr requireTextBox(const ObjectPtr& control) {
  if (!control) throw RuntimeError(5);
  if (!isOfType(control, u"TextBox")) throw RuntimeError(13);
  return control;
}

}  // namespace

qndMain::qndMain() = default;
qndMain::~qndMain() = default;

// ---- Building arrays and collections ----

Variant qndMain::ArrayString(const std::vector<Variant>& Args) { return buildArray(vbString, Args); }

Variant qndMain::ArrayLong(const std::vector<Variant>& Args) { return buildArray(vbLong, Args); }

std::shared_ptr<automation::Collection> qndMain::Collection(const std::vector<Variant>& Args) {
  auto result = automation::Collection::create();
  for (const Variant& arg : Args) ignoringErrors([&] { result->add(arg, Variant(decimalText(result->count() + 1))); });
  return result;
}

// ---- Searching ----

bool qndMain::itemMatches(const Variant& item, const Variant& findWhat, Match how) {
  switch (how) {
    case Match::Long: return item.toLong() == findWhat.toLong();
    case Match::Binary: return item.toString() == findWhat.toString();
    case Match::Text: return equalsText(item.toString(), findWhat.toString());
    default: return variantEquals(item, findWhat);
  }
}

LONG qndMain::searchArray(const Variant& array, const Variant& findWhat, Match how, const Variant& startAt,
                          const Variant& endAt, bool* isFound) {
  if (isFound) *isFound = false;
  if (!array.isArray()) throw RuntimeError(13);
  auto a = array.array();
  if (!a) throw RuntimeError(9);
  LONG lower = a->lbound();
  LONG upper = a->ubound();
  if (lower == std::numeric_limits<LONG>::min()) throw RuntimeError(6);
  LONG result = lower - 1;
  std::int64_t first = optionalIndex(startAt, lower);
  std::int64_t last = optionalIndex(endAt, upper);
  checkRange(first, last, lower, upper);
  for (std::int64_t i = first; i <= last; ++i) {
    if (itemMatches(a->get(static_cast<LONG>(i)), findWhat, how)) {
      if (isFound) *isFound = true;
      return static_cast<LONG>(i);
    }
  }
  return result;
}

LONG qndMain::searchCollection(const ObjectPtr& collection, const Variant& findWhat, Match how, const Variant& startAt,
                               const Variant& endAt, bool* isFound) {
  if (isFound) *isFound = false;
  if (!collection) throw RuntimeError(91);
  LONG count = collection->get(u"Count").toLong();
  std::int64_t first = optionalIndex(startAt, 1);
  std::int64_t last = optionalIndex(endAt, count);
  checkRange(first, last, 1, count);
  for (std::int64_t i = first; i <= last; ++i) {
    Variant item = collection->call(u"Item", {Variant(static_cast<LONG>(i))});
    if (itemMatches(item, findWhat, how)) {
      if (isFound) *isFound = true;
      return static_cast<LONG>(i);
    }
  }
  return 0;
}

LONG qndMain::InArrayLong(const Variant& ArrayX, LONG FindWhat, const Variant& StartAt, const Variant& EndAt,
                          bool* IsFound) {
  return searchArray(ArrayX, Variant(FindWhat), Match::Long, StartAt, EndAt, IsFound);
}
LONG qndMain::InArrayString(const Variant& ArrayX, const String& FindWhat, const Variant& StartAt, const Variant& EndAt,
                            bool* IsFound) {
  return searchArray(ArrayX, Variant(FindWhat), Match::Binary, StartAt, EndAt, IsFound);
}
LONG qndMain::InArrayStringText(const Variant& ArrayX, const String& FindWhat, const Variant& StartAt,
                                const Variant& EndAt, bool* IsFound) {
  return searchArray(ArrayX, Variant(FindWhat), Match::Text, StartAt, EndAt, IsFound);
}
LONG qndMain::InCollection(const ObjectPtr& Collection, const Variant& FindWhat, const Variant& StartAt,
                           const Variant& EndAt, bool* IsFound) {
  return searchCollection(Collection, FindWhat, Match::Variant, StartAt, EndAt, IsFound);
}
LONG qndMain::InCollectionString(const ObjectPtr& Collection, const Variant& FindWhat, const Variant& StartAt,
                                 const Variant& EndAt, bool* IsFound) {
  return searchCollection(Collection, FindWhat, Match::Binary, StartAt, EndAt, IsFound);
}
LONG qndMain::InCollectionStringText(const ObjectPtr& Collection, const Variant& FindWhat, const Variant& StartAt,
                                     const Variant& EndAt, bool* IsFound) {
  return searchCollection(Collection, FindWhat, Match::Text, StartAt, EndAt, IsFound);
}

bool qndMain::IsInArrayLong(const Variant& ArrayX, LONG FindWhat, const Variant& StartAt, const Variant& EndAt) {
  bool found = false;
  InArrayLong(ArrayX, FindWhat, StartAt, EndAt, &found);
  return found;
}
bool qndMain::IsInArrayString(const Variant& ArrayX, const String& FindWhat, const Variant& StartAt,
                              const Variant& EndAt) {
  bool found = false;
  InArrayString(ArrayX, FindWhat, StartAt, EndAt, &found);
  return found;
}
bool qndMain::IsInArrayStringText(const Variant& ArrayX, const String& FindWhat, const Variant& StartAt,
                                  const Variant& EndAt) {
  bool found = false;
  InArrayStringText(ArrayX, FindWhat, StartAt, EndAt, &found);
  return found;
}
bool qndMain::IsInCollection(const ObjectPtr& Collection, const Variant& FindWhat, const Variant& StartAt,
                             const Variant& EndAt) {
  bool found = false;
  InCollection(Collection, FindWhat, StartAt, EndAt, &found);
  return found;
}
bool qndMain::IsInCollectionString(const ObjectPtr& Collection, const Variant& FindWhat, const Variant& StartAt,
                                   const Variant& EndAt) {
  bool found = false;
  InCollectionString(Collection, FindWhat, StartAt, EndAt, &found);
  return found;
}
bool qndMain::IsInCollectionStringText(const ObjectPtr& Collection, const Variant& FindWhat, const Variant& StartAt,
                                       const Variant& EndAt) {
  bool found = false;
  InCollectionStringText(Collection, FindWhat, StartAt, EndAt, &found);
  return found;
}

// ---- Joining and splitting ----

String qndMain::JoinCollection(const ObjectPtr& SourceCollection, const String& Delimiter, bool RaiseErrors) {
  String text;
  LONG count = 0;
  runStep(RaiseErrors, [&] {
    if (!SourceCollection) throw RuntimeError(91);
    count = SourceCollection->get(u"Count").toLong();
  });
  for (LONG i = 1; i <= count; ++i) {
    runStep(RaiseErrors, [&] { text += SourceCollection->call(u"Item", {Variant(i)}).toString(); });
    if (i < count) text += Delimiter;
  }
  return text;
}

std::shared_ptr<automation::Collection> qndMain::SplitCollection(const String& Expression, const Variant& Delimiter,
                                                                 LONG Limit, LONG Compare, bool RaiseErrors) {
  auto result = automation::Collection::create();
  runStep(RaiseErrors, [&] {
    String delimiter = Delimiter.isMissing() ? String(u" ") : Delimiter.toString();
    if (Limit < -1 || Compare < -1 || Compare > 1) throw RuntimeError(5);
    for (const String& part : splitText(Expression, delimiter, Limit, Compare == 1)) result->add(Variant(part));
  });
  return result;
}

// ---- Option buttons, buttons and forms ----

LONG qndMain::GetSelectedOptionButtonIndex(const ObjectPtr& OptionButtonArray) {
  LONG lower = 0, upper = -1;
  if (!ignoringErrors([&] {
        if (!OptionButtonArray) throw RuntimeError(91);
        lower = OptionButtonArray->get(u"LBound").toLong();
        upper = OptionButtonArray->get(u"UBound").toLong();
      }))
    return -1;
  for (std::int64_t i = lower; i <= upper; ++i) {
    bool selected = false;
    bool read = ignoringErrors(
        [&] { selected = controlArrayItem(*OptionButtonArray, static_cast<LONG>(i))->get(u"Value").toBool(); });
    if (read && selected) return static_cast<LONG>(i);
  }
  return -1;
}

void qndMain::SetSelectedOptionButtonIndex(const ObjectPtr& OptionButtonArray, LONG Index) {
  if (!OptionButtonArray) return;
  if (ignoringErrors([&] { controlArrayItem(*OptionButtonArray, Index)->let(u"Value", Variant(true)); })) return;
  ignoringErrors([&] {
    LONG lower = OptionButtonArray->get(u"LBound").toLong();
    controlArrayItem(*OptionButtonArray, lower)->let(u"Value", Variant(true));
  });
}

void qndMain::setGroupEnabled(const ObjectPtr& OptionButtonArray, bool enabled) {
  LONG lower = 0, upper = -1;
  if (!ignoringErrors([&] {
        if (!OptionButtonArray) throw RuntimeError(91);
        lower = OptionButtonArray->get(u"LBound").toLong();
        upper = OptionButtonArray->get(u"UBound").toLong();
      }))
    return;
  // The selected button is enabled first and disabled last, so that the group never
  // shows a state where it is the only one left out.
  bool selectedPass[2] = {enabled, !enabled};
  for (bool wantSelected : selectedPass) {
    for (std::int64_t i = lower; i <= upper; ++i) {
      ignoringErrors([&] {
        ObjectPtr button = controlArrayItem(*OptionButtonArray, static_cast<LONG>(i));
        bool selected = false;
        ignoringErrors([&] { selected = button->get(u"Value").toBool(); });
        if (selected == wantSelected) button->let(u"Enabled", Variant(enabled));
      });
    }
  }
}

void qndMain::EnableOptionButtonGroup(const ObjectPtr& OptionButtonArray) { setGroupEnabled(OptionButtonArray, true); }

void qndMain::DisableOptionButtonGroup(const ObjectPtr& OptionButtonArray) {
  setGroupEnabled(OptionButtonArray, false);
}

bool qndMain::PressButton(const ObjectPtr& Button) {
  if (!isOfType(Button, u"CommandButton")) return false;
  bool enabled = false;
  if (!ignoringErrors([&] { enabled = Button->get(u"Enabled").toBool(); }) || !enabled) return false;
  // A click that failed did not press the button.
  return ignoringErrors([&] { Button->let(u"Value", Variant(true)); });
}

void qndMain::ShowModalForm(const ObjectPtr& ParentForm, const ObjectPtr& ChildForm) {
  Variant oldLeft;
  bool moved = ParentForm && ignoringErrors([&] {
                 oldLeft = ParentForm->get(u"Left");
                 double width = ParentForm->get(u"Width").toDouble();
                 ParentForm->let(u"Left", Variant(-width - kOffScreenMargin));
               });
  if (ChildForm) ignoringErrors([&] { ChildForm->call(u"Show", {Variant(LONG{kShowModal})}); });
  if (moved) ignoringErrors([&] { ParentForm->let(u"Left", oldLeft); });
}

void qndMain::FixFonts(const ObjectPtr& Frm) {
  std::vector<Variant> controls;
  if (!Frm || !ignoringErrors([&] { controls = forEachItem(Frm->get(u"Controls")); })) return;
  for (const Variant& control : controls) {
    ObjectPtr font;
    if (!ignoringErrors([&] { font = requireObject(control)->get(u"Font").toObject(); }) || !font) continue;
    ignoringErrors([&] { font->let(u"Name", Variant(kFixedFontName)); });
    ignoringErrors([&] { font->let(u"Size", Variant(kFixedFontPoints)); });
    ignoringErrors([&] { font->let(u"Italic", Variant(true)); });
    ignoringErrors([&] { font->let(u"Bold", Variant(false)); });
    ignoringErrors([&] { font->let(u"Underline", Variant(false)); });
    ignoringErrors([&] { font->let(u"Strikethrough", Variant(false)); });
    ignoringErrors([&] { font->let(u"Charset", Variant(Integer{kRussianCharset})); });
  }
}

void qndMain::FixCBCursors(const ObjectPtr& Frm) {
  HCURSOR cursor = LoadCursorA(GetModuleHandleA("User32"), kArrowCursorResource);
  if (!cursor) return;
  std::shared_ptr<StdPicture> picture;
  try {
    picture = pictureFromIconHandle(cursor);
  } catch (const RuntimeError&) {
  }
  (void)DestroyCursor(cursor);
  if (!picture || !Frm) return;
  try {
    for (const Variant& item : forEachItem(Frm->get(u"Controls"))) {
      ObjectPtr control = item.toObject();
      if (!isOfType(control, u"ComboBox") || control->get(u"Style").toLong() != kComboDropDownList) continue;
      control->set(u"MouseIcon", picture);
      control->let(u"MousePointer", Variant(Integer{kMousePointerCustom}));
    }
  } catch (const RuntimeError&) {
    // Any failure ends the fix; the controls done so far keep their cursor.
  }
}

// ---- Command line ----

std::shared_ptr<CommandLineParser> qndMain::CommandLine() {
  if (!commandLine_) commandLine_ = std::make_shared<CommandLineParser>();
  return commandLine_;
}

// ---- Text-box insert hooks ----

bool qndMain::AddTextBoxInsertHook(const ObjectPtr& TextBoxControl) {
  ObjectPtr textBox = requireTextBox(TextBoxControl);
  for (const auto& hook : insertHooks_)
    if (hook->TextBoxObject() == textBox) return false;
  auto hook = std::make_shared<CTextBoxInsertHook>();
  hook->setCurrentHook(textBox);
  insertHooks_.push_back(std::move(hook));
  return true;
}

bool qndMain::RemoveTextBoxInsertHook(const ObjectPtr& TextBoxControl) {
  ObjectPtr textBox = requireTextBox(TextBoxControl);
  for (auto it = insertHooks_.begin(); it != insertHooks_.end(); ++it) {
    if ((*it)->TextBoxObject() == textBox) {
      insertHooks_.erase(it);
      return true;
    }
  }
  return false;
}

void qndMain::ClearTextBoxInsertHooks() { insertHooks_.clear(); }

}  // namespace quendel::toolvane
