// qndMain: the library's global class of general helpers. Its hidden instance makes the
// members callable as if they were global functions.
//
//   auto& m = *globalInstance<qndMain>();
//   Variant a = m.ArrayLong({Variant(1), Variant(2), Variant(3)});   // Long(0 To 2)
//   bool found = false;
//   LONG i = m.InArrayStringText(words, u"apple", Variant::missing(), Variant::missing(), &found);
//   auto parts = m.SplitCollection(u"a b  c");                       // "a", "b", "", "c"
//   auto parser = m.CommandLine();
//
// Building: ArrayString/ArrayLong give an array 0 To count − 1 (no elements for an empty
// list); an argument that does not convert leaves its element empty (""/0). Collection
// adds each argument under the key of its position ("1", "2" ...); one that cannot be
// added is skipped.
//
// Searching: the In* members walk StartAt (default: the lower bound, or 1) to EndAt
// (default: the upper bound, or Count) upward and return the first matching index (or
// position), or lower bound − 1 (0 for collections) with IsFound False. A non-empty range
// that leaves the array's bounds or 1 to Count raises 9 before anything is compared; an
// item that cannot be compared raises (13, or the item's own error); a value that is no
// array raises 13, an unallocated array 9. The Is* forms answer whether a match exists.
// Comparisons: Long equality; binary (exact) or text (case-insensitive) string equality;
// the runtime's Variant equality.
//
// JoinCollection and SplitCollection raise only when RaiseErrors is True; otherwise an
// item that does not convert adds nothing (its delimiter is still written) and a split
// that fails (Limit below −1 or 0, Compare other than 0 or 1: error 5) gives an empty
// collection. Limit 0 gives no parts. The delimiter of a split defaults to one blank.
//
// Client controls and forms are reached by name (Value, Enabled, LBound, UBound, Left,
// Width, Show, Controls, Font, Style, MouseIcon, MousePointer) and these members never
// raise: a step that fails is skipped. PressButton answers False for an object that is no
// CommandButton, for a disabled button and for a button whose click failed. ShowModalForm
// moves the parent left of the screen only when its Left and Width can be read, and puts
// it back after the child closed (also when the child failed to show).
//
// Text-box insert hooks: AddTextBoxInsertHook guards a TextBox against Shift+Insert while
// it is locked (CTextBoxInsertHook); True for a new guard, False when it has one already.
// RemoveTextBoxInsertHook: True when a guard was removed. Both raise 5 for Nothing and 13
// for an object that is no TextBox. The guards belong to this object.
//
// The About box (toolvane/about/qnd_main_about.cpp with its part of the member table,
// describeAboutBox; the window in toolvane/about/about_box.h): each
// member returns when the window is closed. ShowAboutBox takes the icons of the client
// window Form.hWnd (errors ignored: a failed fetch leaves Nothing) and the title and
// version of AppObject (Title, Major, Minor, Revision; its errors reach the caller, 91
// for Nothing). ShowAboutBox2 takes Icon, and IconSmall, or Icon when IconSmall is
// Nothing. ShowAboutBoxEx passes its values unchanged. The fixed author, e-mail and
// dedication fill in what a member does not take. ShowMSAboutBox disables the control's
// Parent, calls its AboutBox, enables the Parent and gives it the focus, each step with
// errors ignored.
#pragma once

#include <memory>
#include <vector>

#include "automation/collection.h"
#include "support/export.h"
#include "toolvane/frame/library_object.h"
#include "toolvane/general/command_line_parser.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

class CTextBoxInsertHook;

class qndMain : public LibraryObject {
 public:
  qndMain();
  ~qndMain() override;

  Variant ArrayString(const std::vector<Variant>& Args);
  Variant ArrayLong(const std::vector<Variant>& Args);
  std::shared_ptr<automation::Collection> Collection(const std::vector<Variant>& Args);

  LONG InArrayLong(const Variant& ArrayX, LONG FindWhat, const Variant& StartAt = Variant::missing(),
                   const Variant& EndAt = Variant::missing(), bool* IsFound = nullptr);
  LONG InArrayString(const Variant& ArrayX, const String& FindWhat, const Variant& StartAt = Variant::missing(),
                     const Variant& EndAt = Variant::missing(), bool* IsFound = nullptr);
  LONG InArrayStringText(const Variant& ArrayX, const String& FindWhat, const Variant& StartAt = Variant::missing(),
                         const Variant& EndAt = Variant::missing(), bool* IsFound = nullptr);
  LONG InCollection(const ObjectPtr& Collection, const Variant& FindWhat, const Variant& StartAt = Variant::missing(),
                    const Variant& EndAt = Variant::missing(), bool* IsFound = nullptr);
  LONG InCollectionString(const ObjectPtr& Collection, const Variant& FindWhat,
                          const Variant& StartAt = Variant::missing(), const Variant& EndAt = Variant::missing(),
                          bool* IsFound = nullptr);
  LONG InCollectionStringText(const ObjectPtr& Collection, const Variant& FindWhat,
                              const Variant& StartAt = Variant::missing(), const Variant& EndAt = Variant::missing(),
                              bool* IsFound = nullptr);
  bool IsInArrayLong(const Variant& ArrayX, LONG FindWhat, const Variant& StartAt = Variant::missing(),
                     const Variant& EndAt = Variant::missing());
  bool IsInArrayString(const Variant& ArrayX, const String& FindWhat, const Variant& StartAt = Variant::missing(),
                       const Variant& EndAt = Variant::missing());
  bool IsInArrayStringText(const Variant& ArrayX, const String& FindWhat, const Variant& StartAt = Variant::missing(),
                           const Variant& EndAt = Variant::missing());
  bool IsInCollection(const ObjectPtr& Collection, const Variant& FindWhat, const Variant& StartAt = Variant::missing(),
                      const Variant& EndAt = Variant::missing());
  bool IsInCollectionString(const ObjectPtr& Collection, const Variant& FindWhat,
                            const Variant& StartAt = Variant::missing(), const Variant& EndAt = Variant::missing());
  bool IsInCollectionStringText(const ObjectPtr& Collection, const Variant& FindWhat,
                                const Variant& StartAt = Variant::missing(), const Variant& EndAt = Variant::missing());

  String JoinCollection(const ObjectPtr& SourceCollection, const String& Delimiter, bool RaiseErrors = false);
  std::shared_ptr<automation::Collection> SplitCollection(const String& Expression,
                                                          const Variant& Delimiter = Variant::missing(),
                                                          LONG Limit = -1, LONG Compare = 0, bool RaiseErrors = false);

  LONG GetSelectedOptionButtonIndex(const ObjectPtr& OptionButtonArray);
  void SetSelectedOptionButtonIndex(const ObjectPtr& OptionButtonArray, LONG Index);
  void EnableOptionButtonGroup(const ObjectPtr& OptionButtonArray);
  void DisableOptionButtonGroup(const ObjectPtr& OptionButtonArray);
  bool PressButton(const ObjectPtr& Button);
  void ShowModalForm(const ObjectPtr& ParentForm, const ObjectPtr& ChildForm);
  void FixFonts(const ObjectPtr& Frm);
  void FixCBCursors(const ObjectPtr& Frm);

  std::shared_ptr<CommandLineParser> CommandLine();

  bool AddTextBoxInsertHook(const ObjectPtr& TextBoxControl);
  bool RemoveTextBoxInsertHook(const ObjectPtr& TextBoxControl);
  void ClearTextBoxInsertHooks();

  void ShowMSAboutBox(const ObjectPtr& MSControlObject);
  void ShowAboutBox(const ObjectPtr& Form, const ObjectPtr& AppObject, const String& Description,
                    const ObjectPtr& Picture, const String& PictureToolTipText);
  void ShowAboutBox2(const ObjectPtr& Icon, const ObjectPtr& IconSmall, const ObjectPtr& AppObject,
                     const String& Description, const ObjectPtr& Picture, const String& PictureToolTipText);
  void ShowAboutBoxEx(const String& Title, const ObjectPtr& Icon, const ObjectPtr& SmallIcon, LONG VerMajor,
                      LONG VerMinor, LONG VerRevision, const String& Author, const String& AuthorEMail,
                      const String& Devote, const String& Description, const ObjectPtr& Picture,
                      const String& PictureToolTipText);

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }
  // The About members' part of the member table (kept with the About box).
  static automation::ClassBuilder<qndMain>& describeAboutBox(automation::ClassBuilder<qndMain>& b);

 private:
  enum class Match { Long, Binary, Text, Variant };
  static bool itemMatches(const Variant& item, const Variant& findWhat, Match how);
  LONG searchArray(const Variant& array, const Variant& findWhat, Match how, const Variant& startAt,
                   const Variant& endAt, bool* isFound);
  LONG searchCollection(const ObjectPtr& collection, const Variant& findWhat, Match how, const Variant& startAt,
                        const Variant& endAt, bool* isFound);
  void setGroupEnabled(const ObjectPtr& optionButtonArray, bool enabled);

  std::shared_ptr<CommandLineParser> commandLine_;
  std::vector<std::shared_ptr<CTextBoxInsertHook>> insertHooks_;
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
