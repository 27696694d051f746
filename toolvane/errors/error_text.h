// The readable text of a run-time error, as GetErrorMessage and the error display show it:
//
//   Error number: 5
//   Description:  Invalid procedure call or argument
//
//   Source:       Project1
//   Help file:    /usr/share/help/app.chm
//   Help context: 1001
//
// A block is written only for a value that is set; the labels are 14 characters wide so
// the values line up in a fixed-pitch font; CR LF in a description becomes one blank; the
// line breaks at both ends are trimmed. An error without any information reads
// "Unknown run-time error.".
#pragma once

#include "support/export.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

String BuildErrorText(const ErrorInfo& e);

// Reads Number, Description, Source, HelpFile and HelpContext, in that order, by name
// from an error object (the runtime's or any object with those members). Raises 91 for
// Nothing and 424 for a value that is no object.
ErrorInfo readErrorInfo(const automation::Variant& errObject);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
