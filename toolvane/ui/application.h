// The UI part's access to the toolkit: the application object and screen units.
// Qt code of the UI part only (libtoolvane0305ui.so); the rest of the library reaches
// windows through ui_api.h.
//
//   QApplication& app = ui::application();        // the client's, or created now
//   int px = ui::twipsToPixelsX(1455);            // 97 at 96 DPI
//
// application(): the running QApplication when the client has one; else one created on
// the calling thread on first use and kept for the life of the process (the toolkit
// cannot be created twice). Creating it installs the toolkit as the support library's
// screen source. Raises 0x80040000 when the process runs a QCoreApplication without
// widgets, or when called from a thread other than the application's.
//
// Screen units: twips per pixel = 1440 / logical DPI of the primary screen (15 at 96 DPI),
// the same values esScreenTwipsPerPixelX/Y report. Conversions to pixels round to the
// nearest pixel.
#pragma once

#include <QApplication>
#include <QSize>

namespace quendel::toolvane::ui {

QApplication& application();

double twipsPerPixelX();
double twipsPerPixelY();
int twipsToPixelsX(double twips);
int twipsToPixelsY(double twips);
double pixelsToTwipsX(int pixels);
double pixelsToTwipsY(int pixels);
// The primary screen's size in pixels.
QSize screenSizePx();

// Centres a top-level window on the screen it is on (the primary one before it is shown).
void centreOnScreen(QWidget& window);

}  // namespace quendel::toolvane::ui
