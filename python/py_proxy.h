// The bridge between Python values and the automation runtime.
//
// toVariant/fromVariant convert values both ways (int -> Long or Double, str -> String,
// bytes -> Byte array, list -> Variant array, None -> Nothing; the subtype wrappers
// toolvane.Integer, Byte, Long, Single, Currency, Empty, Null, Missing, Unallocated give
// the other subtypes). A Python object that is not a value becomes a PyProxy: an automation
// Object whose members are the Python object's attributes, so the library can read and
// call a client object written in Python by name. The same Python object always maps to
// the same proxy while the proxy lives, and a proxy converts back to its Python object.
#pragma once

#include <pybind11/pybind11.h>

#include "automation/object.h"

namespace quendel::python {

namespace py = pybind11;
using automation::ObjectPtr;
using automation::String;
using automation::Variant;

// The names that Python's dir() lists for an object.
py::list dirOf(const py::handle& o);

Variant toVariant(const py::handle& value);
py::object fromVariant(const Variant& value);

// The automation error for a Python exception being handled (toolvane.Error keeps its
// number; any other exception is 440, Automation error, with its text).
RuntimeError errorFromPython(py::error_already_set& e);

class PyProxy : public automation::Object {
 public:
  explicit PyProxy(py::object target) : target_(std::move(target)) {}
  ~PyProxy() override;
  static std::shared_ptr<PyProxy> forObject(const py::handle& target);
  // The live proxies of a Python object, for raising its events.
  static std::vector<std::shared_ptr<PyProxy>> liveProxies(const py::handle& target);

  Variant invoke(std::u16string_view member, automation::InvokeKind kind, std::vector<Variant>& args,
                 std::vector<automation::NamedArg>& named) override;
  String className() const override;
  const py::object& target() const { return target_; }

 private:
  py::object target_;
};

// The Python types of the module, set up once at import.
struct ModuleTypes {
  py::object error;       // toolvane.Error
  py::object byRef;       // toolvane.ByRef
  py::object objectType;  // toolvane.Object (wrapper of an automation object)
  py::object subtype;     // toolvane._Subtype (base of Integer, Byte ...)
  py::object empty, null, missing, unallocated;
};
ModuleTypes& types();

}  // namespace quendel::python
