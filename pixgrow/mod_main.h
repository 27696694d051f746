// modMain: the start-up procedure and run driver of Pixgrow, the parsing of the method
// key, the usage text and the enlargement step.
//
//   Pixgrow Method InFileName OutFileName      e.g.  pixgrow 3p "in file.gif" out.png
//
// Every text goes through the console writer. RunEnlarge returns the process's exit
// status: 0 when the enlarged picture was written, 1 when the input is missing or
// cannot be loaded, enlarged or saved, 2 when the usage text was shown.
#pragma once

#include "automation/object.h"
#include "pixgrow/console_writer.h"
#include "pixgrow/memory_canvas.h"

namespace quendel::pixgrow {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The library's global objects and the program's application object, created on
// first use and kept for the life of the process.
automation::ObjectPtr qndMain();
automation::ObjectPtr qndErr();
automation::ObjectPtr App();

int Main();
int RunEnlarge(ConsoleWriter& console);
bool ParseMethod(const automation::String& Text, LONG& Method, bool& Png);
void ShowUsage(ConsoleWriter& console);
// The usage text for an executable name.
automation::String UsageText(const automation::String& exeName);

// Draws the picture into `source` (W x H) and makes `target` (2W x 2H) show its
// enlargement by the method, with exactly the pixels the per-pixel algorithm writes.
// Raises 6 (overflow) when 2W or 2H does not fit in 32 bits.
void EnlargePicture(const automation::ObjectPtr& Picture, LONG W, LONG H, LONG Method, MemoryCanvas& source,
                    MemoryCanvas& target);

}  // namespace quendel::pixgrow
