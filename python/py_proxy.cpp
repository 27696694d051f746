#include "python/py_proxy.h"

#include <map>

#include "automation/safe_array.h"
#include "support/codepage.h"

namespace quendel::python {

using namespace automation;

py::list dirOf(const py::handle& o) { return py::module_::import("builtins").attr("dir")(o); }

ModuleTypes& types() {
  static ModuleTypes* t = new ModuleTypes();  // lives as long as the interpreter
  return *t;
}

namespace {

String toString16(const py::handle& s) { return cp::fromUtf8(s.cast<std::string>()); }
py::str toPyString(const String& s) { return py::str(cp::toUtf8(s)); }

}  // namespace

// Declared in the module file: unwraps toolvane.Object, null when h is none.
ObjectPtr unwrapObject(const py::handle& h);
py::object wrapObject(const ObjectPtr& o);

Variant toVariant(const py::handle& value) {
  ModuleTypes& t = types();
  if (value.is_none()) return Variant::nothing();
  if (value.is(t.empty)) return Variant();
  if (value.is(t.null)) return Variant::null();
  if (value.is(t.missing)) return Variant::missing();
  if (value.is(t.unallocated)) return Variant::unallocatedArray(vbByte);
  if (py::isinstance<py::bool_>(value)) return Variant(value.cast<bool>());
  if (py::isinstance<py::int_>(value)) {
    // Long when it fits, else Double, as the module's users are told.
    long long v = 0;
    try {
      v = value.cast<long long>();
    } catch (const py::cast_error&) {
      return Variant(value.cast<double>());
    }
    if (v >= INT32_MIN && v <= INT32_MAX) return Variant(static_cast<LONG>(v));
    return Variant(static_cast<double>(v));
  }
  if (py::isinstance<py::float_>(value)) return Variant(value.cast<double>());
  if (py::isinstance<py::str>(value)) return Variant(toString16(value));
  if (py::isinstance<py::bytes>(value) || py::isinstance<py::bytearray>(value)) {
    std::string b = py::isinstance<py::bytes>(value)
                        ? value.cast<std::string>()
                        : std::string(py::bytes(py::reinterpret_borrow<py::object>(value)));
    return Variant(SafeArray::fromBytes(std::vector<BYTE>(b.begin(), b.end()), 0));
  }
  if (t.subtype && py::isinstance(value, t.subtype)) {
    int vt = value.attr("vartype").cast<int>();
    Variant inner = toVariant(value.attr("value"));
    return inner.convertTo(static_cast<VarType>(vt));
  }
  if (ObjectPtr o = unwrapObject(value)) return Variant(o);
  if (py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value)) {
    std::vector<Variant> items;
    for (auto item : value) items.push_back(toVariant(item));
    return Variant(SafeArray::fromVariants(vbVariant, items, 0));
  }
  return Variant(ObjectPtr(PyProxy::forObject(value)));
}

py::object fromVariant(const Variant& v) {
  ModuleTypes& t = types();
  switch (v.type()) {
    case vbEmpty: return t.empty;
    case vbNull: return t.null;
    case vbInteger: return py::int_(v.toInteger().value);
    case vbLong: return py::int_(v.toLong());
    case vbByte: return py::int_(v.toByte());
    case vbSingle: return py::float_(static_cast<double>(v.toSingle()));
    case vbDouble: return py::float_(v.toDouble());
    case vbCurrency: return py::float_(v.toCurrency().toDouble());
    case vbDate: return py::float_(v.toDate().value);
    case vbString: return toPyString(*v.asString());
    case vbBoolean: return py::bool_(v.toBool());
    case vbError:
      if (v.isMissing()) return t.missing;
      return py::int_(std::get<ErrorValue>(v.storage()).scode);
    case vbObject: {
      ObjectPtr o = v.toObject();
      if (!o) return py::none();
      if (auto proxy = std::dynamic_pointer_cast<PyProxy>(o)) return proxy->target();
      return wrapObject(o);
    }
    default: break;
  }
  if (v.isArray()) {
    auto a = v.array();
    if (v.arrayElementType() == vbByte) {
      if (!a) return t.unallocated;
      const auto& b = a->bytes();
      return py::bytes(reinterpret_cast<const char*>(b.data()), b.size());
    }
    py::list l;
    if (a)
      for (LONG i = a->lbound(); i <= a->ubound(); ++i) l.append(fromVariant(a->get(i)));
    return l;
  }
  return py::none();
}

RuntimeError errorFromPython(py::error_already_set& e) {
  ModuleTypes& t = types();
  if (t.error && e.matches(t.error)) {
    const py::object& v = e.value();
    ErrorInfo info;
    info.number = v.attr("number").cast<LONG>();
    info.description = toString16(v.attr("description"));
    info.source = toString16(v.attr("source"));
    info.helpFile = toString16(v.attr("helpfile"));
    info.helpContext = v.attr("helpcontext").cast<LONG>();
    return RuntimeError(info);
  }
  String text = cp::fromUtf8(py::str(e.value()).cast<std::string>());
  return RuntimeError(440, text.empty() ? cp::fromUtf8(e.type().attr("__name__").cast<std::string>()) : text);
}

namespace {

std::map<PyObject*, std::weak_ptr<PyProxy>>& proxies() {
  static auto* m = new std::map<PyObject*, std::weak_ptr<PyProxy>>();
  return *m;
}

// The attribute of the Python object for a member name: exact first, then ignoring case,
// since the library's callers spell names as their own conventions have them.
py::object findAttribute(const py::object& target, std::u16string_view name, bool& found) {
  std::string exact = cp::toUtf8(name);
  found = true;
  if (py::hasattr(target, exact.c_str())) return target.attr(exact.c_str());
  for (auto n : dirOf(target)) {
    std::string candidate = n.cast<std::string>();
    if (equalsText(cp::fromUtf8(candidate), name)) return target.attr(candidate.c_str());
  }
  found = false;
  return py::none();
}

std::string attributeNameFor(const py::object& target, std::u16string_view name) {
  std::string exact = cp::toUtf8(name);
  if (py::hasattr(target, exact.c_str())) return exact;
  for (auto n : dirOf(target)) {
    std::string candidate = n.cast<std::string>();
    if (equalsText(cp::fromUtf8(candidate), name)) return candidate;
  }
  return exact;  // a new attribute keeps the caller's spelling
}

}  // namespace

PyProxy::~PyProxy() {
  // A proxy that a library object keeps until the process exits may outlive the
  // interpreter: then the Python object is already gone and must not be touched.
  if (!Py_IsInitialized()) {
    target_.release();
    return;
  }
  try {
    py::gil_scoped_acquire gil;
    auto& m = proxies();
    auto it = m.find(target_.ptr());
    if (it != m.end() && it->second.expired()) m.erase(it);
    target_ = py::object();
  } catch (...) {
    // Without the interpreter's lock the reference cannot be dropped: keeping the
    // object alive is the only safe outcome, since a destructor must not throw.
    target_.release();
  }
}

std::shared_ptr<PyProxy> PyProxy::forObject(const py::handle& target) {
  auto& m = proxies();
  if (auto it = m.find(target.ptr()); it != m.end())
    if (auto p = it->second.lock()) return p;
  auto p = std::make_shared<PyProxy>(py::reinterpret_borrow<py::object>(target));
  m[target.ptr()] = p;
  return p;
}

std::vector<std::shared_ptr<PyProxy>> PyProxy::liveProxies(const py::handle& target) {
  std::vector<std::shared_ptr<PyProxy>> r;
  if (auto it = proxies().find(target.ptr()); it != proxies().end())
    if (auto p = it->second.lock()) r.push_back(p);
  return r;
}

String PyProxy::className() const {
  py::gil_scoped_acquire gil;
  return cp::fromUtf8(py::type::of(target_).attr("__name__").cast<std::string>());
}

Variant PyProxy::invoke(std::u16string_view member, InvokeKind kind, std::vector<Variant>& args,
                        std::vector<NamedArg>& named) {
  py::gil_scoped_acquire gil;
  try {
    if (kind == InvokeKind::PropertyLet || kind == InvokeKind::PropertySet) {
      if (args.size() != 1 || !named.empty() || member.empty()) throw RuntimeError(450);
      py::setattr(target_, attributeNameFor(target_, member).c_str(), fromVariant(args[0]));
      return Variant();
    }
    py::object attr;
    if (member.empty()) {
      if (!PyCallable_Check(target_.ptr())) throw RuntimeError(438);
      attr = target_;
    } else {
      bool found = false;
      attr = findAttribute(target_, member, found);
      if (!found) throw RuntimeError(438);
    }
    // Library objects are callable in Python (their default member), but an attribute
    // that holds one is a value, like a font object held by a form.
    bool callable = PyCallable_Check(attr.ptr()) && !py::isinstance<py::type>(attr) && !unwrapObject(attr);
    if (!callable) {
      if (!args.empty() || !named.empty()) {
        // An indexed read of a Python sequence or mapping, like a property with arguments.
        if (args.size() == 1 && named.empty()) return toVariant(attr[fromVariant(args[0])]);
        throw RuntimeError(450);
      }
      return toVariant(attr);
    }
    py::list pyArgs;
    for (const auto& a : args) pyArgs.append(fromVariant(a));
    py::dict kw;
    for (const auto& n : named) kw[py::str(cp::toUtf8(n.name))] = fromVariant(n.value);
    return toVariant(attr(*pyArgs, **kw));
  } catch (py::error_already_set& e) {
    RuntimeError err = errorFromPython(e);
    throw err;
  }
}

}  // namespace quendel::python
