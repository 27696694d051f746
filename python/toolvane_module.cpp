// _toolvane: the extension behind the Python package toolvane (python/toolvane/__init__.py
// holds the pure-Python parts and documents the whole module).
#include <dlfcn.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <map>
#include <utility>

#include "automation/activation.h"
#include "automation/collection.h"
#include "automation/err_object.h"
#include "automation/std_font.h"
#include "python/py_proxy.h"
#include "support/codepage.h"

namespace quendel::python {

using namespace automation;

namespace {

// A Python handle on an automation object.
struct ObjectRef {
  ObjectPtr object;
};

// A member named on an object, called when the Python code calls it.
struct BoundMember {
  ObjectPtr object;
  String name;
};

String str16(const std::string& s) { return cp::fromUtf8(s); }

// Arguments of a Python call, with the ByRef wrappers remembered for writing back.
struct CallFrame {
  std::vector<Variant> args;
  std::vector<NamedArg> named;
  std::vector<std::pair<py::object, Variant*>> refs;

  CallFrame(const py::args& a, const py::kwargs& kw) {
    ModuleTypes& t = types();
    args.reserve(a.size());
    for (auto item : a) args.push_back(unwrap(item));
    for (auto [k, v] : kw) named.push_back({str16(k.cast<std::string>()), unwrap(v)});
    // Pointers only now: the vectors no longer move.
    size_t i = 0;
    for (auto item : a) {
      if (py::isinstance(item, t.byRef)) refs.emplace_back(py::reinterpret_borrow<py::object>(item), &args[i]);
      ++i;
    }
    i = 0;
    for (auto [k, v] : kw) {
      if (py::isinstance(v, t.byRef)) refs.emplace_back(py::reinterpret_borrow<py::object>(v), &named[i].value);
      ++i;
    }
  }
  static Variant unwrap(const py::handle& h) {
    if (py::isinstance(h, types().byRef)) return toVariant(h.attr("value"));
    return toVariant(h);
  }
  void writeBack() {
    for (auto& [ref, slot] : refs) ref.attr("value") = fromVariant(*slot);
  }
};

Variant invokeWith(const ObjectPtr& o, std::u16string_view name, InvokeKind kind, const py::args& a,
                   const py::kwargs& kw) {
  CallFrame frame(a, kw);
  Variant r;
  { r = o->invoke(name, kind, frame.args, frame.named); }
  frame.writeBack();
  return r;
}

bool takesArguments(const MemberDesc& m) {
  for (const auto& p : m.params)
    if (!(p.flags & (kOptional | kParamArray))) return true;
  return false;
}

py::object getAttribute(const ObjectRef& self, const std::string& name) {
  if (name.size() > 1 && name[0] == '_' && name[1] == '_') throw py::attribute_error(name);
  String member = str16(name);
  if (const ClassDesc* d = self.object->classDesc()) {
    const MemberDesc* m = d->find(member, InvokeKind::PropertyGet);
    if (!m) throw RuntimeError(438);
    if (m->kind == InvokeKind::Method || takesArguments(*m)) return py::cast(BoundMember{self.object, member});
    return fromVariant(self.object->get(member));
  }
  try {
    return fromVariant(self.object->get(member));
  } catch (const RuntimeError& e) {
    if (e.number() == 449 || e.number() == 450) return py::cast(BoundMember{self.object, member});
    throw;
  }
}

void setAttribute(const ObjectRef& self, const std::string& name, const py::object& value) {
  Variant v = toVariant(value);
  std::vector<Variant> args{v};
  std::vector<NamedArg> named;
  InvokeKind kind = v.isObject() ? InvokeKind::PropertySet : InvokeKind::PropertyLet;
  self.object->invoke(str16(name), kind, args, named);
}

class PySink : public EventSink {
 public:
  PySink(py::object handler, bool byRef) : handler_(std::move(handler)), byRef_(byRef) {}
  void onEvent(Object&, std::u16string_view name, std::vector<Variant>& args) override {
    py::gil_scoped_acquire gil;
    py::list pyArgs;
    std::vector<py::object> refs;
    for (const auto& a : args) {
      if (byRef_) {
        refs.push_back(types().byRef(fromVariant(a)));
        pyArgs.append(refs.back());
      } else {
        pyArgs.append(fromVariant(a));
      }
    }
    try {
      std::string n = cp::toUtf8(name);
      py::object method;
      for (auto attr : dirOf(handler_)) {
        std::string candidate = attr.cast<std::string>();
        if (equalsText(str16(candidate), name)) method = handler_.attr(candidate.c_str());
      }
      if (method && PyCallable_Check(method.ptr()) && !PyCallable_Check(handler_.ptr())) {
        method(*pyArgs);
      } else if (PyCallable_Check(handler_.ptr())) {
        handler_(py::str(n), *pyArgs);
      }
    } catch (py::error_already_set& e) {
      throw errorFromPython(e);
    }
    for (size_t i = 0; i < refs.size(); ++i) args[i] = toVariant(refs[i].attr("value"));
  }

 private:
  py::object handler_;
  bool byRef_;
};

}  // namespace

ObjectPtr unwrapObject(const py::handle& h) {
  if (h.is_none()) return nullptr;
  if (py::isinstance<ObjectRef>(h)) return h.cast<const ObjectRef&>().object;
  return nullptr;
}

py::object wrapObject(const ObjectPtr& o) { return py::cast(ObjectRef{o}); }

}  // namespace quendel::python

using namespace quendel::python;
using namespace quendel::automation;

PYBIND11_MODULE(_toolvane, m) {
  m.doc() = "Extension behind the toolvane package.";

  // Run-time errors reach Python as toolvane.Error wherever they are raised.
  // NOLINTNEXTLINE(performance-unnecessary-value-param): pybind11's translator type takes it by value
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const quendel::RuntimeError& e) {
      py::object err = types().error(e.number(), quendel::cp::toUtf8(e.description()), quendel::cp::toUtf8(e.source()),
                                     quendel::cp::toUtf8(e.helpFile()), e.helpContext());
      PyErr_SetObject(types().error.ptr(), err.ptr());
    }
  });

  py::class_<ObjectRef>(m, "Object")
      .def("__getattr__", &getAttribute)
      .def("__setattr__", &setAttribute)
      .def("__call__",
           [](const ObjectRef& self, const py::args& a, const py::kwargs& kw) {
             return fromVariant(invokeWith(self.object, u"", InvokeKind::Method, a, kw));
           })
      .def("__getitem__",
           [](const ObjectRef& self, const py::object& index) {
             return fromVariant(self.object->get(u"", {toVariant(index)}));
           })
      .def("__len__", [](const ObjectRef& self) { return self.object->get(u"Count").toLong(); })
      .def("__iter__",
           [](const ObjectRef& self) {
             py::list items;
             LONG n = self.object->get(u"Count").toLong();
             for (LONG i = 1; i <= n; ++i) items.append(fromVariant(self.object->get(u"Item", {Variant(i)})));
             return py::iter(items);
           })
      .def("__eq__", [](const ObjectRef& a, const py::object& b) { return unwrapObject(b) == a.object; })
      .def("__hash__", [](const ObjectRef& a) { return std::hash<const void*>()(a.object.get()); })
      .def("__dir__",
           [](const ObjectRef& self) {
             py::list names;
             if (const ClassDesc* d = self.object->classDesc())
               for (const auto& mem : d->members)
                 if (!mem.hidden) names.append(quendel::cp::toUtf8(mem.name));
             return names;
           })
      .def("__repr__", [](const ObjectRef& self) {
        return "<toolvane.Object " + quendel::cp::toUtf8(self.object->className()) + ">";
      });

  py::class_<BoundMember>(m, "BoundMember")
      .def("__call__",
           [](const BoundMember& self, const py::args& a, const py::kwargs& kw) {
             return fromVariant(invokeWith(self.object, self.name, InvokeKind::Method, a, kw));
           })
      .def("__repr__", [](const BoundMember& self) {
        return "<toolvane member " + quendel::cp::toUtf8(self.name) + " of " +
               quendel::cp::toUtf8(self.object->className()) + ">";
      });

  m.def("_setup", [](py::object error, py::object byRef, py::object subtype, py::object empty, py::object null,
                     py::object missing, py::object unallocated, const std::string& moduleFolder) {
    ModuleTypes& t = types();
    t.error = std::move(error);
    t.byRef = std::move(byRef);
    t.subtype = std::move(subtype);
    t.empty = std::move(empty);
    t.null = std::move(null);
    t.missing = std::move(missing);
    t.unallocated = std::move(unallocated);
    // Registration-free activation finds the library beside the module.
    addServerSearchPath(moduleFolder);
    addServerSearchPath(moduleFolder + "/../lib");
    addServerSearchPath(moduleFolder + "/../..");  // installed: lib/pythonX.Y/dist-packages
  });

  m.def("CreateObject", [](const std::string& name) { return wrapObject(createObject(quendel::cp::fromUtf8(name))); });

  m.def("_constants", [](const std::string& libid) {
    py::dict constants;
    auto g = quendel::parseGuid(quendel::cp::fromUtf8(libid));
    if (!g) return constants;
    if (const TypeLibDesc* tl = loadTypeLibrary(*g))
      for (const auto& e : tl->enums)
        for (const auto& [name, value] : e.values) constants[py::str(quendel::cp::toUtf8(name))] = value;
    return constants;
  });

  m.def("ErrObject", [](LONG number, const std::string& description, const std::string& source,
                        const std::string& helpfile, LONG helpcontext) {
    using quendel::cp::fromUtf8;
    return wrapObject(
        ErrObject::create({number, fromUtf8(description), fromUtf8(source), fromUtf8(helpfile), helpcontext}));
  });

  m.def("_new_font", [] { return wrapObject(StdFont::create()); });
  m.def("_new_collection", [] { return wrapObject(Collection::create()); });

  // A Python object that Python code subscribes to is kept, with its proxy, until
  // Unadvise: nothing else holds the proxy that carries the subscription.
  static auto* advised = new std::map<std::pair<PyObject*, Object::Cookie>, ObjectPtr>();
  m.def(
      "Advise",
      [](py::object source, const py::object& handler, bool byref) {
        ObjectPtr o = unwrapObject(source);
        bool proxy = !o;
        if (proxy) o = PyProxy::forObject(source);
        Object::Cookie c = o->advise(std::make_shared<PySink>(handler, byref));
        if (proxy) (*advised)[{source.ptr(), c}] = o;
        return c;
      },
      py::arg("source"), py::arg("handler"), py::arg("byref") = false);

  m.def("Unadvise", [](py::object source, Object::Cookie cookie) {
    ObjectPtr o = unwrapObject(source);
    if (!o) {
      auto live = PyProxy::liveProxies(source);
      if (live.empty()) throw quendel::RuntimeError(5);
      o = live.front();
    }
    o->unadvise(cookie);
    advised->erase({source.ptr(), cookie});
  });

  m.def("RaiseEvent", [](const py::object& source, const std::string& name, const py::args& a) {
    py::kwargs none;
    CallFrame frame(a, none);
    std::vector<ObjectPtr> targets;
    if (ObjectPtr o = unwrapObject(source)) targets.push_back(o);
    for (auto& p : PyProxy::liveProxies(source)) targets.push_back(p);
    for (auto& t : targets) t->raiseEvent(quendel::cp::fromUtf8(name), frame.args);
    frame.writeBack();
  });

  m.def("TypeName", [](const py::object& value) { return quendel::cp::toUtf8(typeName(toVariant(value))); });
}
