// The bridge from qndSimpleListDialog to its window, frmList, in the library's UI part.
//
// showListDialogWindow shows the window modally and returns when it is closed. Without a
// display it returns at once, and the toolkit is never loaded. Raises the UI part's load
// error when the UI part is missing.
#pragma once

#include "support/export.h"
#include "toolvane/controls/list_dialog_request.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

void showListDialogWindow(const ListDialogRequest& request);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
