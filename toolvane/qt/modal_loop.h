// Show of a form adapter (widget_adapter.h): Style 0 shows the window and raises it;
// Style 1 shows it modally and returns when it is hidden or destroyed. A QDialog runs its
// own exec(); any other window is made application modal for a local event loop and gets
// its previous modality back afterwards (unless it was destroyed meanwhile).
//
// Failures, raised before anything is shown: 5 for another Style, 400 ("Form already
// displayed; can't show modally") for a visible window shown modally, 0x80040000 for a
// modal show without a widget application.
#pragma once

#include <QWidget>

#include "automation/dispatch.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::qt {

inline constexpr LONG kShowModeless = 0;
inline constexpr LONG kShowModal = 1;

void showForm(QWidget& form, LONG style);

}  // namespace quendel::toolvane::qt

QUENDEL_EXPORT_END
