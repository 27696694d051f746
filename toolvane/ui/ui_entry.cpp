// The entry table of libtoolvane0305ui.so (ui_api.h).
#include <QApplication>

#include "support/export.h"
#include "toolvane/ui/about_form.h"
#include "toolvane/ui/error500_form.h"
#include "toolvane/ui/icon_control_widget.h"
#include "toolvane/ui/list_form.h"
#include "toolvane/ui/message_box.h"
#include "toolvane/ui_api/ui_api.h"

namespace {

bool applicationRuns() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

quendel::automation::ObjectPtr createIconControl(void* parent) {
  if (!parent) throw quendel::RuntimeError(5);
  auto* widget = new quendel::toolvane::ui::IconControlWidget(static_cast<QWidget*>(parent));
  return widget->control();  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks): the parent widget owns it
}

const quendel::toolvane::ui::UiApi table{
    quendel::toolvane::ui::kUiApiVersion,      applicationRuns,
    quendel::toolvane::ui::runTimedMessageBox, quendel::toolvane::ui::runMessageBox,
    quendel::toolvane::ui::runListDialog,      createIconControl,
    quendel::toolvane::ui::runAboutBox,
};

}  // namespace

extern "C" QUENDEL_EXPORT const quendel::toolvane::ui::UiApi* quendelToolvaneUiApi() { return &table; }
