// Property-bag contents: a control's saved form data, read from outside.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "automation/property_bag.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  try {
    auto bag = quendel::automation::PropertyBag::fromContents(bytes, u"TvFuncs0305.ucIconControl");
    // What loaded must save again and load to the same bytes.
    const std::vector<std::uint8_t> again = bag.Contents();
    if (quendel::automation::PropertyBag::fromContents(again, bag.progId()).Contents() != again) __builtin_trap();
  } catch (const quendel::RuntimeError&) {
    // Damaged bytes raise; that is the expected outcome for most inputs.
  }
  return 0;
}
