// modAboutBox: the About box's entry into its window, and the host program's internal name.
//
//   AboutBoxRequest r = aboutBoxDefaults(u"My tool");   // author, e-mail, dedication ...
//   r.verMajor = 2;
//   RealShowAboutBox(r);                                // returns when the window is closed
//   BStr name = GetHostInternalName();                  // "Dummy" when it cannot be read
//
// RealShowAboutBox hands the About data to frmAbout in the UI part, which fills it (the
// filling steps with errors ignored), runs InitTabs and shows it modally. Errors of the
// description text and of InitTabs reach the caller, and the window is then never shown.
// Without a display it returns at once and the toolkit stays unloaded. A failed window
// show with error 450 writes "RealShowAboutBox() ==> 450: ..." to the debugger output and
// shows the window once more.
//
// GetHostInternalName reads the InternalName of the first translation of the host
// program's version block ("\StringFileInfo\040904E4\InternalName" when the translation
// block is shorter than 4 bytes); "Dummy" when the program has no version block, the
// block cannot be read, it has no translation table or no such name. The text is
// returned as stored, untrimmed. internalNameOf does the same for any file.
#pragma once

#include "support/export.h"
#include "toolvane/ui_api/ui_api.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

// The fixed texts of the About box.
inline constexpr char16_t kAboutCaption[] = u"О программе";
inline constexpr char16_t kDefaultAuthor[] = u"Мира Сольт";
// The author's address, at the maker's own domain (the web host of the update check).
inline constexpr char16_t kDefaultAuthorEMail[] = u"mira.solt@kestrane.org";
inline constexpr char16_t kDefaultDevote[] = u"Посвящается Ноэми";
inline constexpr char16_t kDefaultPictureToolTipText[] = u"Ноэми";
inline constexpr char16_t kNoInternalName[] = u"Dummy";

// The About data with the library's fixed values for everything but the title: version
// 1.0.0, the fixed author, e-mail and dedication, no description, no pictures.
ui::AboutBoxRequest aboutBoxDefaults(const BStr& title);

void RealShowAboutBox(const ui::AboutBoxRequest& request);

BStr GetHostInternalName();
BStr internalNameOf(const BStr& fileName);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
