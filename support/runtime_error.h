// The run-time error of the automation runtime: a number and a description, with the
// source, help file and help context that a client's error object carries.
//
//   throw quendel::RuntimeError(9);                     // "Subscript out of range"
//   throw quendel::RuntimeError(0x80040000, u"Can't save bitmap. Win32 error");
//   quendel::raiseOnFailure(asTrimEx(s, &out));        // a failing status raised
//
// Every layer raises this one type, so a client sees the same number and text however
// deep the failure happened. A failing HRESULT becomes the error the runtime maps it to
// (E_INVALIDARG is 5, DISP_E_OVERFLOW 6 ...); other HRESULTs keep their number.
#pragma once

#include <exception>
#include <string>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

namespace quendel {

struct ErrorInfo {
  LONG number = 0;
  BStr description;
  BStr source;
  BStr helpFile;
  LONG helpContext = 0;
};

class RuntimeError : public std::exception {
 public:
  // Uses the standard text for the number when description is empty.
  explicit RuntimeError(LONG number, BStr description = {}, BStr source = {}, BStr helpFile = {}, LONG helpContext = 0);
  explicit RuntimeError(ErrorInfo info);

  LONG number() const { return info_.number; }
  const BStr& description() const { return info_.description; }
  const BStr& source() const { return info_.source; }
  const BStr& helpFile() const { return info_.helpFile; }
  LONG helpContext() const { return info_.helpContext; }
  const ErrorInfo& info() const { return info_; }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  ErrorInfo info_;
  std::string what_;
};

// The runtime's text for an error number: "Subscript out of range" for 9,
// "Application-defined or object-defined error" for a number it does not know.
BStr standardErrorText(LONG number);

// The text of an HRESULT the runtime knows (COM, class activation, downloads); nullptr
// for any other.
const char16_t* hresultText(HRESULT hr);

// The run-time error number that a failing HRESULT is reported as.
LONG errorNumberFromHResult(HRESULT hr);

// Throws the run-time error for a failing status; returns for success.
void raiseOnFailure(HRESULT hr);

}  // namespace quendel

QUENDEL_EXPORT_END
