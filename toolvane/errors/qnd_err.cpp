#include "toolvane/errors/qnd_err.h"

#include "toolvane/errors/error_text.h"

namespace quendel::toolvane {

String qndErr::GetErrorMessage(const Variant& ErrObject) { return BuildErrorText(readErrorInfo(ErrObject)); }

}  // namespace quendel::toolvane
