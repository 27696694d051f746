// Icons of a module's resources as picture objects: the library's form of the support
// library's asLoadResIconEx and asLoadResIconSmallEx, which need the runtime's picture
// object and so live above the support layer.
//
//   auto icon = asLoadResIconEx(u"NOEMI_0000", GetModuleHandleA("toolvane0305"));   // 32 x 32
//   auto small = asLoadResIconSmallEx(u"NOEMI_0000", module);                         // 16 x 16
//   asSetWindowResIconAll(window, u"A_MAIN");   // the program's icon group on its window
//
// The name follows the resource rules (letter case ignored, "#123" an integer id). The
// picture (Type 3) owns its icon. A failure raises the platform call's error as its
// HRESULT (HRESULT_FROM_WIN32: 0x80070716 for a name the module lacks, 0x8007071A for no
// resources at all), as the support library's status would be raised; a name that cannot
// be written in the ANSI code page is a name no module carries. asSetWindowResIconAll
// takes the group from the program's own resources (GetModuleHandleA(nullptr)) and sets
// both sizes with asSetWindowIconAll, raising its status; the window keeps its icons
// when loading fails.
#pragma once

#include <memory>

#include "automation/std_picture.h"
#include "platform/user/user.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

// The standard sizes of the two functions.
inline constexpr int kLargeIconSize = 32;
inline constexpr int kSmallIconSize = 16;

std::shared_ptr<automation::StdPicture> asLoadResIconEx(const BStr& name, HMODULE module);
std::shared_ptr<automation::StdPicture> asLoadResIconSmallEx(const BStr& name, HMODULE module);
void asSetWindowResIconAll(HWND window, const BStr& name);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
