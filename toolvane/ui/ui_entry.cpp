// The entry table of libtoolvane0305ui.so (ui_api.h).
#include <QApplication>

#include "toolvane/ui/error500_form.h"
#include "toolvane/ui/list_form.h"
#include "toolvane/ui/message_box.h"
#include "toolvane/ui_api/ui_api.h"

namespace {

bool applicationRuns() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

const quendel::toolvane::ui::UiApi table{
    quendel::toolvane::ui::kUiApiVersion,      applicationRuns,
    quendel::toolvane::ui::runTimedMessageBox, quendel::toolvane::ui::runMessageBox,
    quendel::toolvane::ui::runListDialog,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const quendel::toolvane::ui::UiApi* quendelToolvaneUiApi() {
  return &table;
}
