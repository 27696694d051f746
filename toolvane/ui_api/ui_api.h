// The entry table of the library's UI part, libtoolvane0305ui.so.
//
// The UI part is the only code of the library that links the Qt 6 toolkit. It is a shared
// object of its own that the library loads on the first call that shows a window
// (ui_library.h), so that console clients never load Qt. Both sides include this header;
// it names no Qt type. The UI part exports one C function, quendelToolvaneUiApi(), which
// returns the table below.
//
// Rules for every entry:
// - It runs on the thread that owns the toolkit's application object (the client's own
//   QApplication when it has one, else the one the UI part creates on first use on the
//   calling thread); a call from another thread raises 0x80040000.
// - Failures are raised as quendel::RuntimeError; nothing is shown then.
// - Windows are modal, created per call and destroyed before the call returns.
// - Geometry crosses in twips; the UI part converts with the screen's twips per pixel
//   (1440 / logical DPI) and installs the toolkit as the support library's screen
//   source (esScreenTwipsPerPixelX ...) once it is loaded.
//
// Adding a window for a later feature: append a function pointer at the end of UiApi,
// raise kUiApiVersion, fill it in ui_entry.cpp; callers check api().version when they need
// the new entry.
#pragma once

#include <optional>
#include <vector>

#include "automation/object.h"
#include "automation/std_font.h"
#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

// What qndSimpleListDialog hands to the window that shows it (frmList in the UI part):
// plain values, no toolkit types, so that the library decides everything it can without
// loading the toolkit.
struct ListDialogRequest {
  std::vector<BStr> items;                   // the list items, in order
  BStr caption;                              // the window caption, count included
  std::optional<automation::FontDesc> font;  // none: the design font (Tahoma 9, charset 204)
};

}  // namespace quendel::toolvane

namespace quendel::toolvane::ui {

inline constexpr int kUiApiVersion = 4;

// What the boxes take when the caller gives nothing: the stop icon with OK
// (MB_ICONHAND | MB_OK), and the seconds the timed box counts down.
inline constexpr LONG kDefaultBoxStyle = 16;
inline constexpr LONG kDefaultTimeoutSeconds = 15;

// One timed message box (modError500/frmError500). The module has already resolved the
// caption and checked the indices: defaultIndex and cancelIndex are −1 (none) or a used
// button; timeoutValue is at least 1.
struct TimedBoxRequest {
  BStr text;
  LONG style = kDefaultBoxStyle;
  BStr caption;
  int defaultIndex = -1;
  int cancelIndex = -1;
  LONG timeoutValue = kDefaultTimeoutSeconds;
};

// The standard message box of the error display members: Windows message-box style
// (buttons 0x0F, icon 0xF0, default button 0x300, Help button 0x4000). With a help file,
// the Help button opens it with the desktop's opener and the box stays open.
struct MessageBoxRequest {
  BStr text;
  BStr caption;
  LONG style = kDefaultBoxStyle;
  BStr helpFile;
  LONG helpContext = 0;
};

// The About box (frmAbout) as RealShowAboutBox hands it over: the twelve values of the
// About data. A picture is a StdPicture, or null for Nothing (the library's resource
// picture is used then).
struct AboutBoxRequest {
  BStr title;
  automation::ObjectPtr icon;
  automation::ObjectPtr smallIcon;
  LONG verMajor = 1, verMinor = 0, verRevision = 0;
  BStr author;
  BStr authorEMail;
  BStr devote;
  BStr description;
  automation::ObjectPtr picture;
  BStr pictureToolTipText;
};

struct UiApi {
  int version;
  // True when the process already runs a widget application object (the client's own, or
  // the one the UI part created for an earlier window).
  bool (*applicationRuns)();
  // Runs the box and returns the message-box result (1 OK ... 7 No; 0 for styles 6-15).
  LONG (*showTimedMessageBox)(const TimedBoxRequest& request);
  LONG (*showMessageBox)(const MessageBoxRequest& request);
  // Version 2: the simple list dialog (frmList); returns when the window is closed.
  void (*showListDialog)(const ListDialogRequest& request);
  // Version 3: a new icon control (ucIconControl) as a child widget of `parent`, a
  // QWidget* of the calling client, which owns it; the widget is named "ucIconControl".
  // Returns the control, reached by name; raises 5 for a null parent.
  automation::ObjectPtr (*createIconControl)(void* parent);
  // Version 4: the About box; fills, shows and unloads frmAbout, returns when it is closed.
  // Errors of the description text and of InitTabs are raised before the window shows.
  void (*showAboutBox)(const AboutBoxRequest& request);
};

}  // namespace quendel::toolvane::ui

extern "C" const quendel::toolvane::ui::UiApi* quendelToolvaneUiApi();

QUENDEL_EXPORT_END
