#include "support/runtime_error.h"

#include <map>

#include "support/codepage.h"

namespace quendel {

namespace {

const std::map<LONG, const char16_t*>& standardTexts() {
  static const std::map<LONG, const char16_t*> texts = {
      {3, u"Return without GoSub"},
      {5, u"Invalid procedure call or argument"},
      {6, u"Overflow"},
      {7, u"Out of memory"},
      {9, u"Subscript out of range"},
      {10, u"This array is fixed or temporarily locked"},
      {11, u"Division by zero"},
      {13, u"Type mismatch"},
      {14, u"Out of string space"},
      {16, u"Expression too complex"},
      {17, u"Can't perform requested operation"},
      {18, u"User interrupt occurred"},
      {20, u"Resume without error"},
      {28, u"Out of stack space"},
      {35, u"Sub or Function not defined"},
      {47, u"Too many DLL application clients"},
      {48, u"Error in loading DLL"},
      {49, u"Bad DLL calling convention"},
      {51, u"Internal error"},
      {52, u"Bad file name or number"},
      {53, u"File not found"},
      {54, u"Bad file mode"},
      {55, u"File already open"},
      {57, u"Device I/O error"},
      {58, u"File already exists"},
      {59, u"Bad record length"},
      {61, u"Disk full"},
      {62, u"Input past end of file"},
      {63, u"Bad record number"},
      {67, u"Too many files"},
      {68, u"Device unavailable"},
      {70, u"Permission denied"},
      {71, u"Disk not ready"},
      {74, u"Can't rename with different drive"},
      {75, u"Path/File access error"},
      {76, u"Path not found"},
      {91, u"Object variable or With block variable not set"},
      {92, u"For loop not initialized"},
      {93, u"Invalid pattern string"},
      {94, u"Invalid use of Null"},
      {97, u"Can not call friend function on object which is not an instance of defining class"},
      {298, u"System DLL could not be loaded"},
      {320, u"Can't use character device names in specified file names"},
      {321, u"Invalid file format"},
      {322, u"Can't create necessary temporary file"},
      {325, u"Invalid format in resource file"},
      {327, u"Data value named not found"},
      {328, u"Illegal parameter; can't write arrays"},
      {335, u"Could not access system registry"},
      {336, u"Component not correctly registered"},
      {337, u"Component not found"},
      {338, u"Component did not run correctly"},
      {360, u"Object already loaded"},
      {361, u"Can't load or unload this object"},
      {363, u"Control specified not found"},
      {364, u"Object was unloaded"},
      {365, u"Unable to unload within this context"},
      {368, u"The specified file is out of date. This program requires a later version"},
      {371, u"The specified object can't be used as an owner form for Show"},
      {380, u"Invalid property value"},
      {381, u"Invalid property-array index"},
      {382, u"Property Set can't be executed at run time"},
      {383, u"Property Set can't be used with a read-only property"},
      {385, u"Need property-array index"},
      {387, u"Property Set not permitted"},
      {393, u"Property Get can't be executed at run time"},
      {394, u"Property Get can't be executed on write-only property"},
      {400, u"Form already displayed; can't show modally"},
      {402, u"Code must close topmost modal form first"},
      {419, u"Permission to use object denied"},
      {422, u"Property not found"},
      {423, u"Property or method not found"},
      {424, u"Object required"},
      {425, u"Invalid object use"},
      {429, u"ActiveX component can't create object"},
      {430, u"Class does not support Automation or does not support expected interface"},
      {432, u"File name or class name not found during Automation operation"},
      {438, u"Object doesn't support this property or method"},
      {440, u"Automation error"},
      {442,
       u"Connection to type library or object library for remote process has been lost. Press OK for dialog to remove "
       u"reference."},
      {443, u"Automation object does not have a default value"},
      {445, u"Object doesn't support this action"},
      {446, u"Object doesn't support named arguments"},
      {447, u"Object doesn't support current locale setting"},
      {448, u"Named argument not found"},
      {449, u"Argument not optional"},
      {450, u"Wrong number of arguments or invalid property assignment"},
      {451, u"Property let procedure not defined and property get procedure did not return an object"},
      {452, u"Invalid ordinal"},
      {453, u"Specified DLL function not found"},
      {454, u"Code resource not found"},
      {455, u"Code resource lock error"},
      {457, u"This key is already associated with an element of this collection"},
      {459, u"Object or class does not support the set of events"},
      {460, u"Invalid clipboard format"},
      {461, u"Method or data member not found"},
      {462, u"The remote server machine does not exist or is unavailable"},
      {463, u"Class not registered on local machine"},
      {481, u"Invalid picture"},
      {482, u"Printer error"},
      {735, u"Can't save file to TEMP"},
      {744, u"Search text not found"},
      {746, u"Replacements too long"},
  };
  return texts;
}

// Texts of the HRESULTs the runtime itself reports.
const std::map<HRESULT, const char16_t*>& hresultTexts() {
  static const std::map<HRESULT, const char16_t*> texts = {
      {REGDB_E_CLASSNOTREG, u"Class not registered"},
      {CLASS_E_CLASSNOTAVAILABLE, u"ClassFactory cannot supply requested class"},
      {CO_E_CLASSSTRING, u"Invalid class string"},
      {E_NOINTERFACE, u"No such interface supported"},
      {E_FAIL, u"Unspecified error"},
      {E_UNEXPECTED, u"Catastrophic failure"},
      {E_NOTIMPL, u"Not implemented"},
      {E_POINTER, u"Invalid pointer"},
      {E_ACCESSDENIED, u"Access is denied."},
      {SELFREG_E_CLASS, u"Error registering the classes"},
      {static_cast<HRESULT>(0x80004004u), u"Operation aborted"},
      // The Internet facility's statuses (downloads).
      {static_cast<HRESULT>(0x800C0002u), u"The URL could not be parsed."},
      {static_cast<HRESULT>(0x800C0003u), u"No Internet session was established."},
      {static_cast<HRESULT>(0x800C0004u), u"The attempt to connect to the Internet has failed."},
      {static_cast<HRESULT>(0x800C0005u), u"The server or proxy was not found."},
      {static_cast<HRESULT>(0x800C0006u), u"The object was not found."},
      {static_cast<HRESULT>(0x800C0007u), u"An Internet connection was established, but the data cannot be retrieved."},
      {static_cast<HRESULT>(0x800C0008u), u"The download has failed (the connection was interrupted)."},
      {static_cast<HRESULT>(0x800C0009u), u"Authentication is needed to access the object."},
      {static_cast<HRESULT>(0x800C000Au), u"The object is not in one of the acceptable MIME types."},
      {static_cast<HRESULT>(0x800C000Bu), u"The Internet connection has timed out."},
      {static_cast<HRESULT>(0x800C000Cu), u"The request was invalid."},
      {static_cast<HRESULT>(0x800C000Du),
       u"The protocol is not known and no pluggable protocols have been entered that match."},
      {static_cast<HRESULT>(0x800C000Eu), u"A security problem was encountered."},
      {static_cast<HRESULT>(0x800C000Fu), u"The object could not be loaded."},
      {static_cast<HRESULT>(0x800C0014u), u"The redirection failed."},
  };
  return texts;
}

}  // namespace

const char16_t* hresultText(HRESULT hr) {
  const auto& hr_texts = hresultTexts();
  auto it = hr_texts.find(hr);
  return it == hr_texts.end() ? nullptr : it->second;
}

BStr standardErrorText(LONG number) {
  const auto& texts = standardTexts();
  if (auto it = texts.find(number); it != texts.end()) return it->second;
  const auto& hr = hresultTexts();
  if (auto it = hr.find(number); it != hr.end()) return it->second;
  if (number < 0) return u"Automation error";
  return u"Application-defined or object-defined error";
}

LONG errorNumberFromHResult(HRESULT hr) {
  // Errors raised by the runtime travel as 0x800A0000 | number.
  if ((static_cast<DWORD>(hr) & 0xFFFF0000u) == 0x800A0000u) return hr & 0xFFFF;
  switch (hr) {
    case E_INVALIDARG: return 5;
    case E_OUTOFMEMORY: return 7;
    case DISP_E_OVERFLOW: return 6;
    case DISP_E_TYPEMISMATCH: return 13;
    case DISP_E_BADINDEX: return 9;
    case DISP_E_DIVBYZERO: return 11;
    case DISP_E_UNKNOWNNAME: return 438;
    case DISP_E_PARAMNOTFOUND: return 448;
    case E_NOTIMPL: return 445;
    case E_POINTER: return 5;
    default: return hr;
  }
}

RuntimeError::RuntimeError(LONG number, BStr description, BStr source, BStr helpFile, LONG helpContext)
    : RuntimeError(ErrorInfo{number, std::move(description), std::move(source), std::move(helpFile), helpContext}) {}

RuntimeError::RuntimeError(ErrorInfo info) : info_(std::move(info)) {
  if (info_.description.empty()) info_.description = standardErrorText(info_.number);
  what_ = "run-time error " + std::to_string(info_.number) + ": " + cp::toUtf8(info_.description);
}

void raiseOnFailure(HRESULT hr) {
  if (FAILED(hr)) throw RuntimeError(errorNumberFromHResult(hr));
}

}  // namespace quendel
