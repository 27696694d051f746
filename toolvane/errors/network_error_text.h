// The error texts of the client's HTTP request and FTP client objects, read by name:
//
//   InternetReadFile() failed.
//
//   HTTP response: 404, Not Found.
//   WinInet error: 12002
//   Description:   The operation timed out
//
// The first line is the message of LastRC (0 to 14, compared as the runtime compares
// Variants; other values write no line), in Russian when langId is 0x0419 and in English
// for every other language; an empty line follows it. The HTTP line is written when
// ResponseCode is not 0 (", " + ResponseText + "." when that is not empty); the WinInet
// line when ErrorCode is not 0, with the description line when ErrorText is not empty.
// The FTP text has no HTTP line. The line breaks at both ends are trimmed. Nothing gives
// an empty text. Raises what reading a member raises (438 for a missing one).
#pragma once

#include "support/export.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

enum class NetworkObjectKind { HTTPRequest, FTPClient };

String networkErrorText(NetworkObjectKind kind, const Variant& object, WORD langId);

// The message of result code rc (0 to 14) in the language langId; nullptr for other codes.
const char16_t* networkResultMessage(NetworkObjectKind kind, LONG rc, WORD langId);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
