#include "toolvane/controls/list_dialog_window.h"

#include "toolvane/ui_api/ui_library.h"

namespace quendel::toolvane {

void showListDialogWindow(const ListDialogRequest& request) {
  // Without a display there is nothing to show and the toolkit stays unloaded.
  if (!ui::windowsAvailable()) return;
  ui::api().showListDialog(request);
}

}  // namespace quendel::toolvane
