// The member tables of the library's classes: the type-library data (members in slot
// order, parameter names, types, defaults, help strings) together with the binding of
// each member to the C++ code that implements it.
//
//   const ClassDesc& CommandLineParser::describe() {
//     static const ClassDesc d = ClassBuilder<CommandLineParser>(u"CommandLineParser")
//         .ids("{817190D0-...}", "{267A7EB3-...}")
//         .get(u"Count", vbLong, [](auto& self, CallArgs&) { return Variant(self.Count()); })
//         .get(u"Item", vbString, [](auto& self, CallArgs& a) { return Variant(self.Item(a.lng(0))); },
//              {param(u"Index", vbLong)}).defaultMember()
//         .build();
//     return d;
//   }
//
// bindCall() turns a late-bound call into a CallArgs: named arguments go to their
// parameters, a missing optional parameter takes its default (or the missing marker),
// a missing required one raises 449, too many raise 450, an unknown name 448. The
// member itself converts its arguments through CallArgs, which raises 13 or 6.
#pragma once

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "automation/object.h"
#include "support/export.h"
#include "support/guid.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::automation {

enum ParamFlags : unsigned {
  kIn = 1,
  kOut = 2,  // by reference, written back
  kOptional = 4,
  kHasDefault = 8,
  kParamArray = 16,
  kByVal = 32,
};

struct ParamDesc {
  String name;
  VarType type = vbVariant;  // vbArray | element type for arrays
  unsigned flags = kIn;
  Variant defaultValue;  // when kHasDefault
};

inline ParamDesc param(std::u16string_view name, VarType type, unsigned flags = kIn) {
  return ParamDesc{String(name), type, flags, {}};
}
inline ParamDesc optionalParam(std::u16string_view name, VarType type, Variant defaultValue, unsigned flags = kIn) {
  return ParamDesc{String(name), type, flags | kOptional | kHasDefault, std::move(defaultValue)};
}
// An optional Variant without a default: missing when omitted.
inline ParamDesc optionalVariant(std::u16string_view name, unsigned flags = kIn) {
  return ParamDesc{String(name), vbVariant, flags | kOptional, {}};
}
inline ParamDesc paramArray(std::u16string_view name) {
  return ParamDesc{String(name), VarType(vbArray | vbVariant), kIn | kParamArray, {}};
}

class CallArgs;

struct MemberDesc {
  String name;
  InvokeKind kind = InvokeKind::Method;
  std::vector<ParamDesc> params;  // for a let/set, the value is the last
  VarType result = vbEmpty;       // vbEmpty: no result
  String help;
  bool isDefault = false;
  bool hidden = false;
  std::function<Variant(Object& self, CallArgs& args)> thunk;
};

enum class Instancing { Global, Creatable, NotCreatable, Private };

struct EventDesc {
  String name;
  std::vector<ParamDesc> params;
};

struct EventInterfaceDesc {
  String name;  // "__qndTabControl"
  GUID iid;
  std::vector<EventDesc> events;
};

struct ClassDesc {
  String name;
  GUID clsid{};
  GUID iid{};
  Instancing instancing = Instancing::Private;
  String help;
  std::vector<MemberDesc> members;
  std::optional<EventInterfaceDesc> events;
  std::function<ObjectPtr()> create;  // null for classes that are not creatable

  // The member for a call: by name (any letter case; empty for the default member) and
  // kind. Null when there is none.
  const MemberDesc* find(std::u16string_view member, InvokeKind kind) const;
};

struct EnumDesc {
  String name;
  GUID guid{};
  std::vector<std::pair<String, LONG>> values;
};

struct TypeLibDesc {
  String name;
  String help;
  GUID libid{};
  int major = 1;
  int minor = 0;
  LONG lcid = 0x409;
  std::vector<const ClassDesc*> classes;
  std::vector<EnumDesc> enums;

  const ClassDesc* findClass(std::u16string_view name) const;
  const ClassDesc* findClass(const GUID& clsid) const;
};

// The arguments of one call after binding, in parameter order.
class CallArgs {
 public:
  CallArgs(std::vector<Variant*> fixed, std::vector<Variant> paramArray)
      : slots_(std::move(fixed)), rest_(std::move(paramArray)) {}

  std::size_t size() const { return slots_.size(); }
  bool isMissing(std::size_t i) const;
  const Variant& operator[](std::size_t i) const;
  // The caller's own Variant for a by-reference parameter; writes reach the caller.
  Variant& ref(std::size_t i);

  Integer integer(std::size_t i) const { return (*this)[i].toInteger(); }
  LONG lng(std::size_t i) const { return (*this)[i].toLong(); }
  double dbl(std::size_t i) const { return (*this)[i].toDouble(); }
  float sng(std::size_t i) const { return (*this)[i].toSingle(); }
  bool boolean(std::size_t i) const { return (*this)[i].toBool(); }
  BYTE byte(std::size_t i) const { return (*this)[i].toByte(); }
  String str(std::size_t i) const { return (*this)[i].toString(); }
  ObjectPtr obj(std::size_t i) const { return (*this)[i].toObject(); }
  // The arguments gathered by a ParamArray parameter.
  const std::vector<Variant>& paramArray() const { return rest_; }

 private:
  std::vector<Variant*> slots_;
  std::vector<Variant> rest_;
};

// Binds and runs a call on an object through its member table.
Variant dispatchCall(Object& self, const ClassDesc& desc, std::u16string_view member, InvokeKind kind,
                     std::vector<Variant>& args, std::vector<NamedArg>& named);

// Builds a ClassDesc for the C++ class T.
template <class T>
class ClassBuilder {
 public:
  using Thunk = std::function<Variant(T& self, CallArgs& args)>;
  using VoidThunk = std::function<void(T& self, CallArgs& args)>;

  explicit ClassBuilder(std::u16string_view name) { d_.name = String(name); }

  ClassBuilder& ids(std::string_view clsid, std::string_view iid) {
    d_.clsid = guidFromLiteral(clsid);
    d_.iid = guidFromLiteral(iid);
    return *this;
  }
  ClassBuilder& instancing(Instancing i) {
    d_.instancing = i;
    return *this;
  }
  ClassBuilder& help(std::u16string_view h) {
    d_.help = String(h);
    return *this;
  }
  ClassBuilder& creator(std::function<ObjectPtr()> f) {
    d_.create = std::move(f);
    return *this;
  }
  ClassBuilder& events(std::u16string_view name, std::string_view iid, std::vector<EventDesc> ev) {
    d_.events = EventInterfaceDesc{String(name), guidFromLiteral(iid), std::move(ev)};
    return *this;
  }
  // A property get (result type), a property let or set (value is the last parameter), a
  // method with a result, a method without one.
  ClassBuilder& get(std::u16string_view name, VarType result, Thunk f, std::vector<ParamDesc> params = {}) {
    return add(name, InvokeKind::PropertyGet, result, std::move(params), std::move(f));
  }
  ClassBuilder& let(std::u16string_view name, VarType type, VoidThunk f, std::vector<ParamDesc> params = {}) {
    params.push_back(param(u"RHS", type));
    return add(name, InvokeKind::PropertyLet, vbEmpty, std::move(params), wrapVoid(std::move(f)));
  }
  ClassBuilder& set(std::u16string_view name, VoidThunk f, std::vector<ParamDesc> params = {}) {
    params.push_back(param(u"RHS", vbObject));
    return add(name, InvokeKind::PropertySet, vbEmpty, std::move(params), wrapVoid(std::move(f)));
  }
  ClassBuilder& function(std::u16string_view name, VarType result, std::vector<ParamDesc> params, Thunk f) {
    return add(name, InvokeKind::Method, result, std::move(params), std::move(f));
  }
  ClassBuilder& sub(std::u16string_view name, std::vector<ParamDesc> params, VoidThunk f) {
    return add(name, InvokeKind::Method, vbEmpty, std::move(params), wrapVoid(std::move(f)));
  }
  // Marks the member added last as the default member, hidden, or gives its help string.
  ClassBuilder& defaultMember() {
    d_.members.back().isDefault = true;
    return *this;
  }
  ClassBuilder& hidden() {
    d_.members.back().hidden = true;
    return *this;
  }
  ClassBuilder& memberHelp(std::u16string_view h) {
    d_.members.back().help = String(h);
    return *this;
  }
  ClassDesc build() { return std::move(d_); }

 private:
  static std::function<Variant(T&, CallArgs&)> wrapVoid(VoidThunk f) {
    return [f = std::move(f)](T& self, CallArgs& a) {
      f(self, a);
      return Variant();
    };
  }
  ClassBuilder& add(std::u16string_view name, InvokeKind kind, VarType result, std::vector<ParamDesc> params, Thunk f) {
    MemberDesc m;
    m.name = String(name);
    m.kind = kind;
    m.result = result;
    m.params = std::move(params);
    m.thunk = [f = std::move(f)](Object& self, CallArgs& a) { return f(static_cast<T&>(self), a); };
    d_.members.push_back(std::move(m));
    return *this;
  }

  ClassDesc d_;
};

}  // namespace quendel::automation

QUENDEL_EXPORT_END
